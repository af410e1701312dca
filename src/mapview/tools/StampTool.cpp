#include "mapview/tools/StampTool.h"

#include "mapview/TMapWindow.h"
#include "platform/EditorContext.h"

namespace tilora {

bool StampTool::press(const ToolEvent& event) {
    EditorState& s = ctx.app.State;
    UndoHistory& history = ctx.app.History;
    // One step of its own.
    history.closeStep();
    history.recordWrites(s, {event.cell.row, event.cell.col, StampSide, StampSide},
                         [&] { pasteStamp(s, ctx.app.currentStampBank(), event.cell); });
    history.closeStep();
    ctx.window.redrawView();
    // Counts as a change even when nothing new was written.
    s.MapModified = 1;
    return false;
}

} // namespace tilora
