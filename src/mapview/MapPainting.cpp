// Painting on the map view: pen, stamp, chip pick and zoom pick from a press on the view, and the
// pen's continuous painting while the pointer moves.

#include "mapview/TMapWindow.h"

#include "core/Fill.h"
#include "core/Painting.h"
#include "core/Zoom.h"
#include "platform/EditorContext.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "platform/UiText.h"

namespace tilora {

namespace {

// The pointer over the whole map window while the pen paints on every move.
constexpr Qt::CursorShape DragPointer = Qt::DragMoveCursor;

// The cell cursor's hint while the fill is armed; the gap is one ideographic space.
const UiText kFillHint{QT_TRANSLATE_NOOP("tilora", "塗りつぶし　塗る場所を選んでください")};

} // namespace

void TMapWindow::Image1MouseDown(Qt::MouseButton button, int x, int y) {
    EditorState& s = app_.State;
    UndoHistory& history = app_.State.History;
    // The press acts on the cell under the pointer, which the cursor shows from here on.
    trackCell(x, y);
    if (button == Qt::LeftButton) {
        if (s.ZoomPending == 1) {
            history.closeStep();
            applyZoomPick(s, view_);
            // The refresh still sees the pick pending, so it keeps the new origin and zoom step.
            app_.refreshMapView();
            // The refresh has sized the cursor (never below 5 x 5) and put it, with the hover
            // cell, on the cell now under the pointer.
            s.ZoomPending = 0;
            if (canZoomIn(s)) app_.setCommandsEnabled(Command::ZoomIn, true);
            if (canZoomOut(s)) app_.setCommandsEnabled(Command::ZoomOut, true);
            Shape1->setShape(ShapeWidget::Shape::RoundSquare);
            Shape1->setToolTip(QString());
        } else if (fillArmed_) {
            disarmFill();
            // One step of its own; a painting run still on goes on afterwards.
            if (fillRegion(s, anchorCell(s), s.CurrentChip, &history) > 0) {
                redrawView();
                s.MapModified = 1;
            }
        } else {
            // A click starts a step; a pen click's step goes on through the run it starts.
            history.closeStep();
            const Anchor at = anchorCell(s);
            if (s.StampMode == 1) {
                history.recordWrites(s, {at.row, at.col, StampSide, StampSide},
                                     [&] { pasteStamp(s, app_.currentStampBank(), at); });
                history.closeStep();
            } else {
                s.PenDragActive = 1;
                setCursor(DragPointer);
                history.recordWrites(s, {at.row, at.col, s.PenSize, s.PenSize},
                                     [&] { paintPen(s, at); });
            }
            redrawView();
            // Counts as a change even when nothing new was written.
            s.MapModified = 1;
        }
    }
    if (button == Qt::RightButton) {
        disarmFill();
        history.closeStep();
        s.PenDragActive = 0;
        setCursor(Qt::ArrowCursor);
        app_.chooseChip(pickChip(s, anchorCell(s)));
    }
    app_.updateEditCommands();
}

void TMapWindow::DragPaint() {
    EditorState& s = app_.State;
    Bitmap& view = Image1->bitmap();
    const int left = Shape1->x();
    const int top = Shape1->y();
    const int size = s.CellSize;
    const Anchor at = anchorCell(s);
    int written = 0;
    // Only the written cells are drawn; parts beyond the view's bitmap are clipped away.
    const int changed =
        app_.State.History.recordWrites(s, {at.row, at.col, s.PenSize, s.PenSize}, [&] {
            written = paintPen(s, at, [&](int rowOffset, int colOffset) {
                app_.Renderer.drawChip(view, left + colOffset * size, top + rowOffset * size, size,
                                       s.SheetColumns, s.CurrentChip);
            });
        });
    // Every stroke that changes the map marks it, so painting that goes on after a save is not
    // lost without the unsaved-changes question.
    if (written > 0) s.MapModified = 1;
    if (changed > 0) app_.updateEditCommands();
    presentView();
}

void TMapWindow::armFill() {
    fillArmed_ = true;
    Shape1->setShape(ShapeWidget::Shape::Rectangle);
    Shape1->setToolTip(kFillHint);
}

void TMapWindow::disarmFill() {
    if (!fillArmed_) return;
    fillArmed_ = false;
    Shape1->setShape(ShapeWidget::Shape::RoundSquare);
    Shape1->setToolTip(QString());
}

} // namespace tilora
