#pragma once
// The rectangle and the line: press, drag with the button held, release. While the button is
// held the shape is previewed in the current chip; the release writes it, one undo step. Esc
// while dragging drops it.

#include "core/Shapes.h"
#include "mapview/MapTool.h"

#include <vector>

namespace tilora {

class ShapeTool : public MapTool {
  public:
    using MapTool::MapTool;
    bool press(const ToolEvent& event) override;
    void move(const ToolEvent& event) override;
    void release(const ToolEvent& event) override;
    void cancel() override;
    bool endsRuns() const override { return true; }
    ShapeWidget::Shape cursor() const override { return ShapeWidget::Shape::Rectangle; }

  protected:
    // The shape's cells from the press's cell to `to`.
    virtual std::vector<RowSpan> spans(Anchor from, Anchor to) const = 0;
    // Writes the shape into the map; returns the number of cells changed.
    virtual int commit(Anchor from, Anchor to) = 0;

  private:
    bool dragging_ = false;
    Anchor start_;
};

class RectangleTool final : public ShapeTool {
  public:
    using ShapeTool::ShapeTool;
    QString hint() const override;

  protected:
    std::vector<RowSpan> spans(Anchor from, Anchor to) const override;
    int commit(Anchor from, Anchor to) override;
};

class LineTool final : public ShapeTool {
  public:
    using ShapeTool::ShapeTool;
    QString hint() const override;

  protected:
    std::vector<RowSpan> spans(Anchor from, Anchor to) const override;
    int commit(Anchor from, Anchor to) override;
};

} // namespace tilora
