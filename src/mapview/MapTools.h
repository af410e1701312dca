#pragma once
// The map view's tools and the one place that decides which of them takes the pointer: a pending
// zoom pick first, then the armed tool, then the stamp or the pen the toolbar has chosen. Arming a
// tool disarms the one armed before; Esc, a right click and a map shown anew disarm it too.

#include "mapview/MapTool.h"

#include <memory>
#include <vector>

namespace tilora {

class ZoomPickTool;

class MapTools {
  public:
    MapTools(MapViewPort& app, TMapWindow& window);
    ~MapTools();
    MapTools(const MapTools&) = delete;
    MapTools& operator=(const MapTools&) = delete;
    MapTools(MapTools&&) = delete;
    MapTools& operator=(MapTools&&) = delete;

    // Registers a tool of type T (constructed from a ToolContext); the view's own tools are
    // registered in the constructor, one line each.
    template <class T> T* add() {
        auto tool = std::make_unique<T>(ToolContext{app_, window_, *this});
        T* added = tool.get();
        tools_.push_back(std::move(tool));
        return added;
    }

    // The tool the next left press goes to.
    MapTool& active() const;

    // Arms the tool of type T (registered in the constructor): it takes the presses until it is
    // disarmed or, for a one-shot tool, used.
    template <class T> void arm() {
        if (T* tool = find<T>()) arm(*tool);
    }
    // Drops the armed tool, if any. A pending zoom pick is not armed here: only its pick ends it.
    void disarm();
    // Ends the drag of the tool that holds the pointer (a rectangle, a line, a selection being
    // dragged), the tool staying armed. False when there was none.
    bool cancelDrag();
    MapTool* armed() const { return armed_; }
    // The tool whose press holds the pointer, or nullptr.
    MapTool* captured() const { return captured_; }
    template <class T> bool isArmed() const { return dynamic_cast<T*>(armed_) != nullptr; }
    // A zoom step in (direction > 0) or out: the step taken and the pick armed, which a pending
    // pick outranks everything else for. False, and nothing changed, at the limit.
    bool armZoomPick(int direction);

    // The registered tool of type T, or nullptr.
    template <class T> T* find() const {
        for (const std::unique_ptr<MapTool>& tool : tools_) {
            if (auto* found = dynamic_cast<T*>(tool.get())) return found;
        }
        return nullptr;
    }

    // The pointer's events, forwarded by the window once the cursor is on the event's cell.
    void press(const ToolEvent& event);
    void move(const ToolEvent& event);
    void release(const ToolEvent& event);
    void hover(const ToolEvent& event);
    void leave();

  private:
    void arm(MapTool& tool);
    // Ends every run going on, each as its own undo step.
    void endRuns();
    // A right click, whatever tool is active: the chip under the pointer becomes the current chip.
    void pickChipAt(const ToolEvent& event);
    // The cell cursor shows the active tool's shape and hint.
    void showActive();

    MapViewPort& app_;
    TMapWindow& window_;
    std::vector<std::unique_ptr<MapTool>> tools_;
    MapTool* pen_ = nullptr;
    MapTool* stamp_ = nullptr;
    ZoomPickTool* zoomPick_ = nullptr;
    MapTool* armed_ = nullptr;
    // The tool whose press holds the pointer until the button's release.
    MapTool* captured_ = nullptr;
};

} // namespace tilora
