#pragma once
// The zoom pick: a zoom button steps ZoomStep and arms it; the next left click applies the step
// with the clicked cell as the view's new top-left cell. While it is pending the cell cursor is a
// circle with the button's prompt. Only its pick ends it: a right click or Esc leaves it pending.

#include "mapview/MapTool.h"

namespace tilora {

class ZoomPickTool final : public MapTool {
  public:
    using MapTool::MapTool;
    // The step in (direction > 0) or out taken and the pick armed; false at the limit.
    bool step(int direction);
    bool press(const ToolEvent& event) override;
    ShapeWidget::Shape cursor() const override { return ShapeWidget::Shape::Circle; }
    QString hint() const override;

  private:
    int direction_ = 1; // the last button pressed: its prompt is shown
};

} // namespace tilora
