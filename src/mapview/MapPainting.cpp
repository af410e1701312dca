// Painting on the map view: pen, stamp, chip pick and zoom pick from a press on the view, and the
// pen's continuous painting while the pointer moves.

#include "mapview/TMapWindow.h"

#include "core/Painting.h"
#include "core/Zoom.h"
#include "platform/EditorContext.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"

namespace tilora {

namespace {

// The pointer over the whole map window while the pen paints on every move.
constexpr Qt::CursorShape DragPointer = Qt::DragMoveCursor;

} // namespace

void TMapWindow::Image1MouseDown(Qt::MouseButton button, int x, int y) {
    EditorState& s = app_.State;
    // The press acts on the cell under the pointer, which the cursor shows from here on.
    trackCell(x, y);
    if (button == Qt::LeftButton) {
        if (s.ZoomPending == 1) {
            applyZoomPick(s);
            // The refresh still sees the pick pending, so it keeps the new origin and zoom step.
            app_.refreshMapView();
            // The refresh has sized the cursor (never below 5 x 5) and put it, with the hover
            // cell, on the cell now under the pointer.
            s.ZoomPending = 0;
            if (canZoomIn(s)) app_.setCommandsEnabled(Command::ZoomIn, true);
            if (canZoomOut(s)) app_.setCommandsEnabled(Command::ZoomOut, true);
            Shape1->setShape(ShapeWidget::Shape::RoundSquare);
            Shape1->setToolTip(QString());
        } else {
            if (s.StampMode == 1) {
                pasteStamp(s, app_.currentStampBank(), anchorCell(s));
            } else {
                s.PenDragActive = 1;
                setCursor(DragPointer);
                paintPen(s, anchorCell(s));
            }
            redrawView();
            // Counts as a change even when nothing new was written.
            s.MapModified = 1;
        }
    }
    if (button == Qt::RightButton) {
        s.PenDragActive = 0;
        setCursor(Qt::ArrowCursor);
        s.CurrentChip = pickChip(s, anchorCell(s));
    }
}

void TMapWindow::DragPaint() {
    EditorState& s = app_.State;
    Bitmap& view = Image1->bitmap();
    const int left = Shape1->x();
    const int top = Shape1->y();
    const int size = s.CellSize;
    // Only the written cells are drawn; parts beyond the view's bitmap are clipped away.
    const int written = paintPen(s, anchorCell(s), [&](int rowOffset, int colOffset) {
        app_.Renderer.drawChip(view, left + colOffset * size, top + rowOffset * size, size,
                               s.SheetColumns, s.CurrentChip);
    });
    // Every stroke that changes the map marks it, so painting that goes on after a save is not
    // lost without the unsaved-changes question.
    if (written > 0) s.MapModified = 1;
    Image1->refresh();
}

} // namespace tilora
