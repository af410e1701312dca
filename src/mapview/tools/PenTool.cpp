#include "mapview/tools/PenTool.h"

#include "core/RegionEdits.h"
#include "mapview/MapViewPort.h"
#include "mapview/TMapWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"

namespace tilora {

namespace {

// The pointer over the whole map window while the pen paints on every move.
constexpr Qt::CursorShape DragPointer = Qt::DragMoveCursor;

} // namespace

bool PenTool::press(const ToolEvent& event) {
    EditorState& s = ctx.app.State;
    UndoHistory& history = ctx.app.State.History;
    // A click starts a step, which goes on through the run it starts.
    history.closeStep();
    s.PenDragActive = 1;
    ctx.window.setCursor(DragPointer);
    history.recordWrites(s, {event.cell.row, event.cell.col, s.PenSize, s.PenSize},
                         [&] { paintPen(s, event.cell); });
    joinFrom_ = JoinPoint::at(event.cell, s);
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
    const int size = s.CellSize;
    // A quick move skips cells between two events: the pen's squares along the line from the
    // last cell painted join them. Only the written cells are drawn; parts beyond the view's
    // bitmap are clipped away.
    // A view scrolled or zoomed since moved the cells under a pointer that may not have moved:
    // nothing to join then.
    const Anchor from = joinFrom_ && joinFrom_->sameView(s) ? joinFrom_->cell : event.cell;
    const StrokeResult stroke =
        paintStroke(s, &ctx.app.State.History, from, event.cell, [&](int row, int col) {
            ctx.app.Renderer.drawChip(view, (col - s.ViewCol) * size, (row - s.ViewRow) * size,
                                      size, s.SheetColumns, s.CurrentChip);
        });
    joinFrom_ = JoinPoint::at(event.cell, s);
    // Every stroke that changes the map marks it, so painting that goes on after a save is not
    // lost without the unsaved-changes question.
    if (stroke.written > 0) s.MapModified = 1;
    if (stroke.changed > 0) ctx.app.commandsChanged();
    ctx.window.presentView();
}

void PenTool::leave() {
    // Back over the view somewhere else, or over a view laid out anew: the run goes on from
    // there, not from where it was.
    joinFrom_.reset();
}

void PenTool::cancel() {
    joinFrom_.reset();
    ctx.app.State.PenDragActive = 0;
    ctx.window.setCursor(Qt::ArrowCursor);
}

bool PenTool::running() const {
    return ctx.app.State.PenDragActive == 1;
}

} // namespace tilora
