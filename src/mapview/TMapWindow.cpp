#include "mapview/TMapWindow.h"

#include "core/Geometry.h"
#include "core/Zoom.h"
#include "mapview/MapTools.h"
#include "mapview/MapViewPort.h"
#include "mapview/tools/FillTool.h"
#include "platform/EditOverlay.h"
#include "platform/GridOverlay.h"
#include "platform/Layout.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "platform/UiText.h"

#include <QCloseEvent>
#include <QCursor>
#include <QHelpEvent>
#include <QLabel>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace tilora {

namespace {

// The window as laid out; RefreshMapView re-lays it out for the map (336 x 337 with both bars).
constexpr int DesignClientWidth = 339;
constexpr int DesignClientHeight = 343;
const char* const Caption = QT_TRANSLATE_NOOP("tilora", "マップウィンドウ");

// The view sits at the client's top-left corner, where RefreshMapView keeps it.
constexpr Place Image1Place{0, 0, ViewPixels, ViewPixels};
constexpr Place Shape1Place{0, 0, ChipPixels, ChipPixels};
constexpr int Shape1PenWidth = 2;
constexpr Place ScrollBar1Place{323, 4, 16, 317}; // vertical, right of the view
constexpr Place ScrollBar2Place{0, 324, 321, 17}; // horizontal, under the view
// The status line, when shown, under the horizontal bar; the client grows by this much more.
constexpr int StatusLineHeight = 18;
// Design-time steps; RefreshMapView sets them to CellSize and 2 x CellSize.
constexpr int ScrollSmallStep = 32;
constexpr int ScrollLargeStep = 64;

} // namespace

TMapWindow::TMapWindow(MapViewPort& app) : QWidget(nullptr), app_(app) {
    // A tool window: small caption, no minimise or maximise box.
    setWindowFlags(Qt::Tool);
    setWindowTitle(uiText(Caption));
    requestedClient_ = QSize(DesignClientWidth, DesignClientHeight);
    resize(requestedClient_);

    // Children bottom to top: the view, the cell cursor over it, the bars above both.
    Image1 = new PictureWidget(this);
    Image1->setBitmap(Bitmap(ViewPixels, ViewPixels));
    place(Image1, Image1Place);
    Image1->setMouseTracking(true);
    // Over the picture, under the cursor; only drawn, like the cursor.
    Grid = new GridOverlay(this);
    place(Grid, Image1Place);
    Grid->hide();
    Edits = new EditOverlay(this);
    place(Edits, Image1Place);

    // The cursor is only drawn: the view beneath takes every press and move. A press keeps the
    // mouse for the view until release, and the moves in between are not reported.
    Shape1 = new ShapeWidget(ShapeWidget::Shape::RoundSquare, Shape1PenWidth, this);
    place(Shape1, Shape1Place);
    // The zoom buttons' prompt sits on the cursor; the view shows it where the pointer is, also
    // while this tool window is not the active one (it rarely is after a toolbar press).
    Image1->installEventFilter(this);
    setAttribute(Qt::WA_AlwaysShowToolTips);

    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    setUpScrollBar(ScrollBar1, ScrollBar1Place, ScrollSmallStep, ScrollLargeStep);
    ScrollBar2 = new QScrollBar(Qt::Horizontal, this);
    setUpScrollBar(ScrollBar2, ScrollBar2Place, ScrollSmallStep, ScrollLargeStep);
    ScrollBar2->installEventFilter(this);
    StatusLine = new QLabel(this);
    StatusLine->setIndent(4); // off the window's left edge
    StatusLine->hide();

    tools_ = std::make_unique<MapTools>(app_, *this);
    connect(Image1, &PictureWidget::mouseMoved, this, &TMapWindow::Image1MouseMove);
    connect(Image1, &PictureWidget::mousePressed, this, &TMapWindow::Image1MouseDown);
    connect(Image1, &PictureWidget::mouseDragged, this, &TMapWindow::Image1MouseDrag);
    connect(Image1, &PictureWidget::mouseReleased, this, &TMapWindow::Image1MouseUp);
    // Every user scroll (arrows, page areas, thumb tracking, keyboard, wheel over the bar) comes
    // as an action whose proposed position is in sliderPosition(); positions set from code come
    // through setValue and raise no action. An action that leaves the position where it was
    // (an arrow at the end, the release after a drag) changes nothing and redraws nothing.
    connect(ScrollBar1, &QScrollBar::actionTriggered, this, [this](int) {
        const int p = ScrollBar1->sliderPosition();
        if (p != ScrollBar1->value()) ScrollBar1Scroll(p);
    });
    connect(ScrollBar2, &QScrollBar::actionTriggered, this, [this](int) {
        const int p = ScrollBar2->sliderPosition();
        if (p != ScrollBar2->value()) ScrollBar2Scroll(p);
    });
}

TMapWindow::~TMapWindow() = default;

void TMapWindow::ScrollBar1Scroll(int position) {
    app_.State.ViewRow = position / app_.State.CellSize;
    redrawView();
}

void TMapWindow::ScrollBar2Scroll(int position) {
    app_.State.ViewCol = position / app_.State.CellSize;
    redrawView();
}

void TMapWindow::Image1MouseMove(int x, int y) {
    trackCell(x, y);
    tools_->hover(toolEvent(Qt::NoButton, Qt::NoModifier));
}

void TMapWindow::Image1MouseDown(Qt::MouseButton button, int x, int y,
                                 Qt::KeyboardModifiers modifiers) {
    // The press acts on the cell under the pointer, which the cursor shows from here on.
    trackCell(x, y);
    tools_->press(toolEvent(button, modifiers));
    app_.commandsChanged();
}

void TMapWindow::Image1MouseDrag(int x, int y, Qt::KeyboardModifiers modifiers) {
    // The cursor stays where the press put it unless a tool holds the pointer.
    if (tools_->captured() == nullptr) return;
    trackCell(x, y);
    tools_->move(toolEvent(Qt::NoButton, modifiers));
}

void TMapWindow::Image1MouseUp(Qt::MouseButton button, int x, int y,
                               Qt::KeyboardModifiers modifiers) {
    if (tools_->captured() == nullptr) return;
    trackCell(x, y);
    tools_->release(toolEvent(button, modifiers));
    app_.commandsChanged();
}

ToolEvent TMapWindow::toolEvent(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) const {
    return {button, modifiers, anchorCell(app_.State)};
}

bool TMapWindow::fillArmed() const {
    return tools_->isArmed<FillTool>();
}

void TMapWindow::trackCell(int x, int y) {
    EditorState& s = app_.State;
    const ViewCell cell = viewCellAt(view_, s.CellSize, x, y);
    s.HoverCol = cell.col;
    s.HoverRow = cell.row;
    // Only moved: the cursor keeps the size the last layout or zoom pick gave it.
    Shape1->move(s.HoverCol * s.CellSize, s.HoverRow * s.CellSize);
    updateStatusLine();
}

void TMapWindow::placeCursorAtPointer() {
    const QPoint p = Image1->mapFromGlobal(QCursor::pos());
    if (isVisible() && Image1->isVisible() && Image1->rect().contains(p)) {
        trackCell(p.x(), p.y());
    } else {
        app_.State.HoverCol = 0;
        app_.State.HoverRow = 0;
        Shape1->move(0, 0);
    }
}

void TMapWindow::FormClose() {
    app_.setMapWindowShown(false);
}

void TMapWindow::redrawView() {
    // The renderer's whole-view path: no per-cell work here, one repaint at the end.
    app_.Renderer.redrawView(Image1->bitmap(), app_.State);
    presentView();
}

void TMapWindow::fitToMap(const MapViewLayout& layout) {
    // A view laid out anew (a new map, a load, a zoom): the pen's run does not join the cells
    // under the pointer now to those it painted before.
    tools_->leave();
    // The picture holds the view's whole cells: 320 x 320 as laid out.
    if (Image1->bitmap().width() != layout.viewWidth ||
        Image1->bitmap().height() != layout.viewHeight)
        Image1->setBitmap(Bitmap(layout.viewWidth, layout.viewHeight));
    redrawView();
    Image1->hide();
    Image1->show();

    // The image is cut to the map where the map is smaller than the view; the bitmap behind it
    // keeps the view's size.
    Image1->setGeometry(0, 0, layout.viewWidth, layout.viewHeight);
    placeAroundView(layout.viewWidth, layout.viewHeight);
    ScrollBar1->hide();
    ScrollBar2->hide();
    // A bar the map does not need is hidden with the range 0..0: one that kept the range of an
    // earlier zoom would still be stepped by the wheel and move a view that fits.
    ScrollBar2->setMaximum(layout.horizontalBar ? layout.horizontalMax : 0);
    ScrollBar1->setMaximum(layout.verticalBar ? layout.verticalMax : 0);
    if (layout.horizontalBar) {
        ScrollBar2->show();
        setBarPosition(ScrollBar2, 0);
    }
    if (layout.verticalBar) {
        ScrollBar1->show();
        setBarPosition(ScrollBar1, 0);
    }
    Image1->resize(layout.imageWidth, layout.imageHeight);
    Grid->setGeometry(Image1->geometry());
    Edits->setGeometry(Image1->geometry());
    show();

    for (QScrollBar* bar : {ScrollBar1, ScrollBar2}) {
        bar->setSingleStep(layout.arrowStep);
        bar->setPageStep(layout.pageStep);
    }
    // Never smaller than 5 x 5, as after a zoom pick: a 1- or 2-pixel cursor at the small cell
    // sizes would sit beside the pointer, and no click could reach it.
    Shape1->resize(layout.cursorSide, layout.cursorSide);
    // The hover cell and the cursor agree with the pointer from the start: a click that follows
    // without a move acts on the cell it shows.
    placeCursorAtPointer();

    // Positions in pixels; set from code, so the scroll handlers do not run.
    setBarPosition(ScrollBar1, layout.verticalPosition);
    setBarPosition(ScrollBar2, layout.horizontalPosition);
}

void TMapWindow::placeAroundView(int viewWidth, int viewHeight) {
    // The bars keep their laid-out places beside and under the view, moved and stretched by what
    // the view gained; the status line lies under the horizontal bar.
    const int dx = viewWidth - ViewPixels;
    const int dy = viewHeight - ViewPixels;
    const Place& v = ScrollBar1Place;
    const Place& h = ScrollBar2Place;
    ScrollBar1->setGeometry(v.left + dx, v.top, v.width, v.height + dy);
    ScrollBar2->setGeometry(h.left, h.top + dy, h.width + dx, h.height);
    StatusLine->setGeometry(0, h.top + dy + h.height, viewWidth + v.width, StatusLineHeight);
    setSizeLimits();
}

QSize TMapWindow::chromeSize() const {
    // As laid out the client is the view plus a bar's width across and a bar's height down, which
    // cuts the lowest 4 pixels off the horizontal bar; with the status line it shows whole.
    const int down = statusLineShown_ ? ScrollBar2Place.top + ScrollBar2Place.height - ViewPixels +
                                            StatusLineHeight
                                      : ScrollBar2->height();
    return {ScrollBar1->width(), down};
}

void TMapWindow::setBarPosition(QScrollBar* bar, int position) {
    // setValue raises no actionTriggered, and only actions drive the scroll handlers.
    bar->setValue(position);
}

bool TMapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && event->type() == QEvent::ToolTip && !Shape1->toolTip().isEmpty()) {
        // The cursor is always on the cell under the pointer, so its hint is the view's.
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), Shape1->toolTip(), Image1);
        return true;
    }
    // The pointer leaving the view ends the undo step of a painting run; the run goes on.
    if (watched == Image1 && event->type() == QEvent::Leave) {
        app_.State.History.closeStep();
        tools_->leave();
    }
    if (watched == Image1 && event->type() == QEvent::Wheel) {
        // The view lies at the client's top-left corner: its pixels are the window's.
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (watched == ScrollBar2 && stepHorizontalBarByKey(ScrollBar2, event)) return true;
    return QWidget::eventFilter(watched, event);
}

void TMapWindow::wheelEvent(QWheelEvent* event) {
    event->accept();
    const WheelNotches::Turn turn = wheel_.take(*event);
    if (turn.notches == 0) return;
    if (event->modifiers() & Qt::ControlModifier) {
        // One zoom step per notch: a fast turn that arrives as one event of two notches is two.
        zoomByWheel(turn.notches, event->position().toPoint());
        return;
    }
    // A notch is the bar's own arrow step (one cell), so the snap and the redraw are the bars'.
    stepBarsByWheel(ScrollBar1, ScrollBar2, turn);
}

void TMapWindow::zoomByWheel(int notches, QPoint at) {
    EditorState& s = app_.State;
    // A pending zoom pick owns the next zoom.
    if (s.ZoomPending == 1) return;
    const int direction = notches > 0 ? 1 : -1;
    int steps = 0;
    while (steps < std::abs(notches) && zoomAtPixel(s, view_, direction, at.x(), at.y()))
        ++steps;
    if (steps == 0) return; // already at the limit
    // Only the view is laid out again: no window moves, no command changes.
    fitToMap(mapViewLayout(s, view_));
}

void TMapWindow::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

} // namespace tilora
