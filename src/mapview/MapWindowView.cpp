// The map window's view as a size of its own: grown and shrunk in whole cells with the window,
// never below the laid-out 320 x 320 nor beyond the screen; and what it shows on request, a grid
// over the cells and a status line under the bars.

#include "mapview/TMapWindow.h"

#include "core/Painting.h"
#include "core/Selection.h"
#include "core/Zoom.h"
#include "mapview/MapViewPort.h"
#include "platform/GridOverlay.h"
#include "platform/PictureWidget.h"
#include "platform/UiText.h"

#include <QLabel>
#include <QResizeEvent>
#include <QScrollBar>

namespace tilora {

QSize TMapWindow::clientSizeForView() const {
    return QSize(view_.width, view_.height) + chromeSize();
}

// The room the screen leaves for the view once the window's bars and frame are set aside.
ViewSize TMapWindow::roomOnScreen() const {
    const QSize chrome = chromeSize();
    return {app_.Screen.width - chrome.width(), app_.Screen.height - chrome.height()};
}

void TMapWindow::fitClientToView() {
    // Asked for here, so the resize that follows is not taken for the user's.
    requestedClient_ = clientSizeForView();
    setSizeLimits();
    resize(requestedClient_);
}

void TMapWindow::setSizeLimits() {
    const QSize chrome = chromeSize();
    const ViewSize largest = roomOnScreen();
    const ViewSize most = viewSizeForRoom(largest.width, largest.height, largest);
    setMinimumSize(QSize(ViewPixels, ViewPixels) + chrome);
    setMaximumSize(QSize(most.width, most.height) + chrome);
    // A window manager that honours it resizes in whole cells from here.
    setBaseSize(chrome);
    setSizeIncrement(app_.State.CellSize, app_.State.CellSize);
}

void TMapWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->size() == requestedClient_) return;
    // The user's: the room left for the view is the new view size.
    requestedClient_ = event->size();
    const QSize chrome = chromeSize();
    const ViewSize grown =
        viewSizeForRoom(event->size().width() - chrome.width(),
                        event->size().height() - chrome.height(), roomOnScreen());
    if (grown == view_) return;
    const int size = app_.State.CellSize;
    const bool cellsChanged =
        grown.columns(size) != view_.columns(size) || grown.rows(size) != view_.rows(size);
    view_ = grown;
    // Without a map on screen the next full refresh lays the view out.
    if (!cellsChanged || !app_.mapShown() || !isVisible()) return;
    // A larger view may reach past the map's edge: its origin comes back as the zoom pick's does.
    keepViewInsideMap(app_.State, view_);
    fitToMap(mapViewLayout(app_.State, view_));
}

void TMapWindow::showOrigin() {
    const EditorState& s = app_.State;
    setBarPosition(ScrollBar1, s.ViewRow * s.CellSize);
    setBarPosition(ScrollBar2, s.ViewCol * s.CellSize);
    redrawView();
}

void TMapWindow::presentView() {
    Image1->refresh();
    const EditorState& s = app_.State;
    if (Grid->isVisible()) Grid->setView(s.CellSize, s.ViewCol, s.ViewRow);
    showSelection(); // (the status line with it)
    app_.followMap();
}

void TMapWindow::setGridShown(bool shown) {
    Grid->setGeometry(Image1->geometry());
    const EditorState& s = app_.State;
    Grid->setView(s.CellSize, s.ViewCol, s.ViewRow);
    Grid->setVisible(shown);
}

void TMapWindow::setStatusLineShown(bool shown) {
    statusLineShown_ = shown;
    StatusLine->setVisible(shown);
    const int size = app_.State.CellSize;
    if (isVisible()) fitClientToView();
    placeAroundView(view_.pixelWidth(size), view_.pixelHeight(size));
    updateStatusLine();
}

void TMapWindow::updateStatusLine() {
    if (!statusLineShown_) return;
    const EditorState& s = app_.State;
    const Anchor at = anchorCell(s);
    // Columns and rows counted from 0, as the map file lists them. The gaps are ideographic
    // spaces.
    QString text = uiText(QT_TRANSLATE_NOOP("tilora", "列 %1　行 %2　チップ %3　%4ドット/チップ"))
                       .arg(at.col)
                       .arg(at.row)
                       .arg(pickChip(s, at))
                       .arg(s.CellSize);
    const CellRect selected = clipToMap(s, s.Selection);
    if (!selected.empty()) {
        text += uiText(QT_TRANSLATE_NOOP("tilora", "　選択 %1 x %2"))
                    .arg(selected.cols)
                    .arg(selected.rows);
    }
    StatusLine->setText(text);
}

} // namespace tilora
