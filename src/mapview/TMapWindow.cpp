#include "mapview/TMapWindow.h"

#include "core/Geometry.h"
#include "platform/EditorContext.h"
#include "platform/Layout.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"

#include <QCloseEvent>
#include <QScrollBar>

namespace tilora {

namespace {

// The window as laid out; RefreshMapView re-lays it out for the map (336 x 337 with both bars).
constexpr int DesignClientWidth = 339;
constexpr int DesignClientHeight = 343;
const char* const Caption = "マップウィンドウ";

// The view sits at the client's top-left corner, where RefreshMapView keeps it.
constexpr Place Image1Place{0, 0, ViewPixels, ViewPixels};
constexpr Place Shape1Place{0, 0, ChipPixels, ChipPixels};
constexpr int Shape1PenWidth = 2;
constexpr Place ScrollBar1Place{323, 4, 16, 317}; // vertical, right of the view
constexpr Place ScrollBar2Place{0, 324, 321, 17}; // horizontal, under the view
// Design-time steps; RefreshMapView sets them to CellSize and 2 x CellSize.
constexpr int ScrollSmallStep = 32;
constexpr int ScrollLargeStep = 64;

} // namespace

TMapWindow::TMapWindow(EditorContext& app) : QWidget(nullptr), app_(app) {
    // A tool window: small caption, no minimise or maximise box.
    setWindowFlags(Qt::Tool);
    setWindowTitle(QString::fromUtf8(Caption));
    resize(DesignClientWidth, DesignClientHeight);

    // Children bottom to top: the view, the cell cursor over it, the bars above both.
    Image1 = new PictureWidget(this);
    Image1->setBitmap(Bitmap(ViewPixels, ViewPixels));
    place(Image1, Image1Place);
    Image1->setMouseTracking(true);

    // The cursor takes the presses; a left press grabs the mouse for it until release, so moves
    // while the button is held land on the cursor (which swallows them), not on the view.
    Shape1 = new ShapeWidget(ShapeWidget::Shape::RoundSquare, Shape1PenWidth, this);
    place(Shape1, Shape1Place);

    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    setUpScrollBar(ScrollBar1, ScrollBar1Place, ScrollSmallStep, ScrollLargeStep);
    ScrollBar2 = new QScrollBar(Qt::Horizontal, this);
    setUpScrollBar(ScrollBar2, ScrollBar2Place, ScrollSmallStep, ScrollLargeStep);
    ScrollBar2->installEventFilter(this);

    connect(Image1, &PictureWidget::mouseMoved, this, &TMapWindow::Image1MouseMove);
    connect(Shape1, &ShapeWidget::pressed, this, &TMapWindow::Shape1MouseDown);
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

void TMapWindow::ScrollBar1Scroll(int position) {
    app_.State.ViewRow = position / app_.State.CellSize;
    redrawView();
}

void TMapWindow::ScrollBar2Scroll(int position) {
    app_.State.ViewCol = position / app_.State.CellSize;
    redrawView();
}

void TMapWindow::Image1MouseMove(int x, int y) {
    EditorState& s = app_.State;
    s.HoverCol = pixelToCell(x, s.CellSize);
    s.HoverRow = pixelToCell(y, s.CellSize);
    // Only moved: the cursor keeps the size the last layout or zoom pick gave it.
    Shape1->move(s.HoverCol * s.CellSize, s.HoverRow * s.CellSize);
    if (s.PenDragActive == 1) DragPaint();
}

void TMapWindow::FormClose() {
    app_.setMapWindowShown(false);
}

void TMapWindow::redrawView() {
    // The renderer's whole-view path: no per-cell work here, one repaint at the end.
    app_.Renderer.redrawView(Image1->bitmap(), app_.State);
    Image1->refresh();
}

void TMapWindow::fitToMap(const MapViewLayout& layout) {
    redrawView();
    Image1->hide();
    Image1->show();

    // The image is cut to the map where the map is smaller than the view; the bitmap behind it
    // stays 320 x 320.
    Image1->setGeometry(0, 0, ViewPixels, ViewPixels);
    ScrollBar1->hide();
    ScrollBar2->hide();
    if (layout.horizontalBar) {
        ScrollBar2->setMaximum(layout.horizontalMax);
        ScrollBar2->show();
        setBarPosition(ScrollBar2, 0);
    }
    if (layout.verticalBar) {
        ScrollBar1->setMaximum(layout.verticalMax);
        ScrollBar1->show();
        setBarPosition(ScrollBar1, 0);
    }
    Image1->resize(layout.imageWidth, layout.imageHeight);
    show();

    for (QScrollBar* bar : {ScrollBar1, ScrollBar2}) {
        bar->setSingleStep(layout.arrowStep);
        bar->setPageStep(layout.pageStep);
    }
    // Never smaller than 5 x 5, as after a zoom pick: a 1- or 2-pixel cursor at the small cell
    // sizes would sit beside the pointer, and no click could reach it.
    Shape1->setGeometry(0, 0, layout.cursorSide, layout.cursorSide);

    // Positions in pixels; set from code, so the scroll handlers do not run.
    setBarPosition(ScrollBar1, layout.verticalPosition);
    setBarPosition(ScrollBar2, layout.horizontalPosition);
}

void TMapWindow::setBarPosition(QScrollBar* bar, int position) {
    // setValue raises no actionTriggered, and only actions drive the scroll handlers.
    bar->setValue(position);
}

bool TMapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBar2 && stepHorizontalBarByKey(ScrollBar2, event)) return true;
    return QWidget::eventFilter(watched, event);
}

void TMapWindow::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

} // namespace tilora
