#include "mapview/tools/FillTool.h"

#include "core/Fill.h"
#include "mapview/TMapWindow.h"
#include "platform/EditorContext.h"
#include "platform/UiText.h"

namespace tilora {

namespace {

// The gap is one ideographic space.
const UiText kFillHint{QT_TRANSLATE_NOOP("tilora", "塗りつぶし　塗る場所を選んでください")};

} // namespace

bool FillTool::press(const ToolEvent& event) {
    EditorState& s = ctx.app.State;
    // One step of its own; a painting run still on goes on afterwards.
    if (fillRegion(s, event.cell, s.CurrentChip, &ctx.app.History) > 0) {
        ctx.window.redrawView();
        s.MapModified = 1;
    }
    return false;
}

QString FillTool::hint() const {
    return kFillHint;
}

} // namespace tilora
