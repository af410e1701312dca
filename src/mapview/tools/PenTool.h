#pragma once
// The pen: a left click paints a PenSize square of the current chip with its top-left cell on the
// clicked cell and starts a run; each move with no button held then paints the square under the
// pointer, whichever tool is chosen meanwhile, until a right click ends the run.

#include "mapview/MapTool.h"

namespace tilora {

class PenTool final : public MapTool {
  public:
    using MapTool::MapTool;
    bool press(const ToolEvent& event) override;
    void hover(const ToolEvent& event) override;
    void cancel() override;
    bool running() const override;
};

} // namespace tilora
