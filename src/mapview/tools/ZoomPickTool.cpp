#include "mapview/tools/ZoomPickTool.h"

#include "core/Zoom.h"
#include "mapview/TMapWindow.h"
#include "platform/EditorContext.h"
#include "platform/UiText.h"

namespace tilora {

namespace {

// The cell cursor's hint while a zoom pick is armed; the gap is one ideographic space.
const UiText kZoomInHint{QT_TRANSLATE_NOOP("tilora", "拡大　基準座標を選んでください")};
const UiText kZoomOutHint{QT_TRANSLATE_NOOP("tilora", "縮小　基準座標を選んでください")};

} // namespace

bool ZoomPickTool::step(int direction) {
    EditorState& s = ctx.app.State;
    if (!(direction > 0 ? zoomIn(s) : zoomOut(s))) return false;
    direction_ = direction;
    return true;
}

bool ZoomPickTool::press(const ToolEvent& /*event*/) {
    EditorState& s = ctx.app.State;
    ctx.app.History.closeStep();
    applyZoomPick(s, ctx.window.viewSize());
    // The refresh still sees the pick pending, so it keeps the new origin and zoom step.
    ctx.app.refreshMapView();
    // The refresh has sized the cursor (never below 5 x 5) and put it, with the hover cell, on
    // the cell now under the pointer, and enabled both zoom buttons.
    s.ZoomPending = 0;
    return false;
}

QString ZoomPickTool::hint() const {
    return direction_ > 0 ? QString(kZoomInHint) : QString(kZoomOutHint);
}

} // namespace tilora
