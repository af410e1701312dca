#include "mapview/tools/PenTool.h"

#include "mapview/TMapWindow.h"
#include "platform/EditorContext.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"

namespace tilora {

namespace {

// The pointer over the whole map window while the pen paints on every move.
constexpr Qt::CursorShape DragPointer = Qt::DragMoveCursor;

} // namespace

bool PenTool::press(const ToolEvent& event) {
    EditorState& s = ctx.app.State;
    UndoHistory& history = ctx.app.History;
    // A click starts a step, which goes on through the run it starts.
    history.closeStep();
    s.PenDragActive = 1;
    ctx.window.setCursor(DragPointer);
    history.recordWrites(s, {event.cell.row, event.cell.col, s.PenSize, s.PenSize},
                         [&] { paintPen(s, event.cell); });
    ctx.window.redrawView();
    // Counts as a change even when nothing new was written.
    s.MapModified = 1;
    // The moves that follow with the button still held are not the run's: it paints by moves
    // with no button held.
    return false;
}

void PenTool::hover(const ToolEvent& event) {
    EditorState& s = ctx.app.State;
    if (s.PenDragActive != 1) return;
    Bitmap& view = ctx.window.Image1->bitmap();
    // The cells are drawn where the cursor frames the anchor.
    const int left = ctx.window.Shape1->x();
    const int top = ctx.window.Shape1->y();
    const int size = s.CellSize;
    int written = 0;
    // Only the written cells are drawn; parts beyond the view's bitmap are clipped away.
    const int changed = ctx.app.History.recordWrites(
        s, {event.cell.row, event.cell.col, s.PenSize, s.PenSize}, [&] {
            written = paintPen(s, event.cell, [&](int rowOffset, int colOffset) {
                ctx.app.Renderer.drawChip(view, left + colOffset * size, top + rowOffset * size,
                                          size, s.SheetColumns, s.CurrentChip);
            });
        });
    // Every stroke that changes the map marks it, so painting that goes on after a save is not
    // lost without the unsaved-changes question.
    if (written > 0) s.MapModified = 1;
    if (changed > 0) ctx.app.commandsChanged();
    ctx.window.presentView();
}

void PenTool::cancel() {
    ctx.app.State.PenDragActive = 0;
    ctx.window.setCursor(Qt::ArrowCursor);
}

bool PenTool::running() const {
    return ctx.app.State.PenDragActive == 1;
}

} // namespace tilora
