#pragma once
// The selection tool: press, drag with the button held and release, and the rectangle of cells
// between the two becomes the selection. A press inside the selection drags its cells instead:
// they follow the pointer as a see-through preview and land at the release, one undo step, the
// cells they leave taking the current chip.

#include "core/CellRect.h"
#include "core/ChipBlock.h"
#include "mapview/MapTool.h"

namespace tilora {

class SelectTool final : public MapTool {
  public:
    using MapTool::MapTool;
    bool press(const ToolEvent& event) override;
    void move(const ToolEvent& event) override;
    void release(const ToolEvent& event) override;
    void cancel() override;
    bool endsRuns() const override { return true; }
    ShapeWidget::Shape cursor() const override { return ShapeWidget::Shape::Rectangle; }
    QString hint() const override;

  private:
    enum class Drag { None, Select, Move };
    Drag drag_ = Drag::None;
    Anchor start_;
    CellRect before_;  // the selection as the drag found it
    ChipBlock moving_; // the cells a move drags
};

} // namespace tilora
