#pragma once
// The one-shot fill: armed from the edit menu, the next left click fills the region of the
// clicked cell's chip with the current chip; the cell cursor shows a square frame and the fill's
// hint meanwhile.

#include "mapview/MapTool.h"

namespace tilora {

class FillTool final : public MapTool {
  public:
    using MapTool::MapTool;
    bool press(const ToolEvent& event) override;
    ShapeWidget::Shape cursor() const override { return ShapeWidget::Shape::Rectangle; }
    QString hint() const override;
    bool oneShot() const override { return true; }
};

} // namespace tilora
