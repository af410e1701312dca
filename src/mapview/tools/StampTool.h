#pragma once
// The stamp: a left click pastes the stamp editor's bank in use with its top-left cell on the
// clicked cell, once per click; transparent cells leave the map as it is.

#include "mapview/MapTool.h"

namespace tilora {

class StampTool final : public MapTool {
  public:
    using MapTool::MapTool;
    bool press(const ToolEvent& event) override;
};

} // namespace tilora
