#pragma once
// Paste: the block taken from the clipboard follows the pointer as a see-through preview, its
// top-left cell on the cell under the pointer; a left click places it (one undo step) and the
// placed cells become the selection, with the selection tool armed to move them. Esc or a right
// click drops it.

#include "core/ChipBlock.h"
#include "mapview/MapTool.h"

namespace tilora {

class PasteTool final : public MapTool {
  public:
    using MapTool::MapTool;
    // The block to place; shown at once on the cell under the pointer.
    void start(ChipBlock block);
    bool press(const ToolEvent& event) override;
    void hover(const ToolEvent& event) override;
    void cancel() override;
    bool endsRuns() const override { return true; }
    ShapeWidget::Shape cursor() const override { return ShapeWidget::Shape::Rectangle; }
    QString hint() const override;
    bool oneShot() const override { return true; }
    bool dropsOnRightClick() const override { return true; }

  private:
    ChipBlock block_;
};

} // namespace tilora
