#pragma once
// What the map window and its tools use of the rest of the editor: the state, the undo history,
// the renderer, the screen's size, and the operations that reach other windows. The application
// object carries it out.

#include "core/ChipRenderer.h"
#include "core/EditorState.h"
#include "platform/ScreenMetrics.h"

#include <cstdint>

namespace tilora {

class MapViewPort {
  public:
    MapViewPort(EditorState& state, ChipRenderer& renderer, const ScreenMetrics& screen)
        : State(state), Renderer(renderer), Screen(screen) {}
    virtual ~MapViewPort() = default;
    MapViewPort(const MapViewPort&) = delete;
    MapViewPort& operator=(const MapViewPort&) = delete;
    MapViewPort(MapViewPort&&) = delete;
    MapViewPort& operator=(MapViewPort&&) = delete;

    EditorState& State;
    // Draws map cells from the chip sheet.
    ChipRenderer& Renderer;
    const ScreenMetrics& Screen;

    // The one way the current chip changes (the right click's pick); true when `chip` is current.
    virtual bool chooseChip(std::int32_t chip) = 0;
    // The stamp bank the stamp editor has chosen.
    virtual int currentStampBank() const = 0;
    // The full refresh of the map view (a zoom pick ends in it).
    virtual void refreshMapView() = 0;
    // Whether a map is on screen: from the first full refresh until the new-map command.
    virtual bool mapShown() const = 0;
    // The map window hidden or shown together with its check mark in the view menu.
    virtual void setMapWindowShown(bool shown) = 0;
    // The view has shown what changed (cells written, the origin or the zoom moved): the views
    // that follow the map (the overview) catch up.
    virtual void followMap() = 0;
    // Something the commands' states follow has changed (the undo history, an armed tool): the
    // main window applies them anew.
    virtual void commandsChanged() = 0;
};

} // namespace tilora
