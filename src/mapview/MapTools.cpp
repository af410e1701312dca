#include "mapview/MapTools.h"

#include "mapview/MapViewPort.h"
#include "mapview/TMapWindow.h"
#include "mapview/tools/FillTool.h"
#include "mapview/tools/PasteTool.h"
#include "mapview/tools/PenTool.h"
#include "mapview/tools/SelectTool.h"
#include "mapview/tools/ShapeTool.h"
#include "mapview/tools/StampTool.h"
#include "mapview/tools/ZoomPickTool.h"
#include "platform/ShapeWidget.h"

#include <utility>

namespace tilora {

MapTools::MapTools(MapViewPort& app, TMapWindow& window) : app_(app), window_(window) {
    // Every tool of the view, one line each; an armed tool is found by its type.
    pen_ = add<PenTool>();
    stamp_ = add<StampTool>();
    zoomPick_ = add<ZoomPickTool>();
    add<FillTool>();
    add<SelectTool>();
    add<PasteTool>();
    add<RectangleTool>();
    add<LineTool>();
}

MapTools::~MapTools() = default;

MapTool& MapTools::active() const {
    const EditorState& s = app_.State;
    // A pending zoom pick takes the next click whatever else is armed or chosen.
    if (s.ZoomPending == 1) return *zoomPick_;
    if (armed_ != nullptr) return *armed_;
    if (s.StampMode == 1) return *stamp_;
    return *pen_;
}

void MapTools::arm(MapTool& tool) {
    if (armed_ != &tool) disarm();
    if (tool.endsRuns()) endRuns();
    armed_ = &tool;
    showActive();
}

void MapTools::endRuns() {
    for (const std::unique_ptr<MapTool>& other : tools_) {
        if (!other->running()) continue;
        app_.State.History.closeStep();
        other->cancel();
    }
}

void MapTools::disarm() {
    if (armed_ == nullptr) return;
    MapTool* dropped = std::exchange(armed_, nullptr);
    if (captured_ == dropped) captured_ = nullptr;
    dropped->cancel();
    showActive();
}

bool MapTools::cancelDrag() {
    MapTool* tool = std::exchange(captured_, nullptr);
    if (tool == nullptr) return false;
    tool->cancel();
    return true;
}

bool MapTools::armZoomPick(int direction) {
    if (!zoomPick_->step(direction)) return false;
    // The pick takes the next click from an armed tool.
    disarm();
    showActive();
    return true;
}

void MapTools::press(const ToolEvent& event) {
    MapTool& before = active();
    if (event.button == Qt::LeftButton) {
        if (before.oneShot() && armed_ == &before) armed_ = nullptr;
        captured_ = before.press(event) ? &before : nullptr;
    }
    if (event.button == Qt::RightButton) {
        if (armed_ != nullptr && armed_->dropsOnRightClick())
            disarm();
        else
            pickChipAt(event);
    }
    if (&active() != &before) showActive();
}

void MapTools::move(const ToolEvent& event) {
    if (captured_ != nullptr) captured_->move(event);
}

void MapTools::release(const ToolEvent& event) {
    if (captured_ == nullptr) return;
    MapTool* tool = std::exchange(captured_, nullptr);
    tool->release(event);
}

void MapTools::hover(const ToolEvent& event) {
    MapTool& tool = active();
    // A run started by another tool goes on under this one.
    for (const std::unique_ptr<MapTool>& other : tools_) {
        if (other.get() != &tool && other->running()) other->hover(event);
    }
    tool.hover(event);
}

void MapTools::leave() {
    for (const std::unique_ptr<MapTool>& tool : tools_)
        tool->leave();
}

void MapTools::pickChipAt(const ToolEvent& event) {
    // An armed tool is dropped and every run ends; a pending zoom pick stays pending.
    disarm();
    app_.State.History.closeStep();
    captured_ = nullptr;
    for (const std::unique_ptr<MapTool>& tool : tools_)
        tool->cancel();
    app_.chooseChip(pickChip(app_.State, event.cell));
}

void MapTools::showActive() {
    const MapTool& tool = active();
    window_.Shape1->setShape(tool.cursor());
    window_.Shape1->setToolTip(tool.hint());
}

} // namespace tilora
