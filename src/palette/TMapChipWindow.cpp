#include "palette/TMapChipWindow.h"

#include "core/Geometry.h"
#include "palette/PalettePort.h"
#include "platform/Layout.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "platform/UiText.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

namespace tilora {

namespace {

// The window as laid out. LayoutChipWindow resizes it to the sheet once one is loaded.
constexpr int DesignClientWidth = 138;
constexpr int DesignClientHeight = 185;
const char* const Caption = QT_TRANSLATE_NOOP("tilora", "チップウィンドウ");

constexpr Place Image2Place{0, 0, 553, 545}; // larger than any client area the window gets
constexpr Place Shape1Place{0, 0, ChipPixels, ChipPixels};
constexpr int Shape1PenWidth = 3;
// Vertical, right of the viewport; horizontal, under it.
constexpr Place ScrollBar1Place{ViewPixels, 0, PaletteBarWidth, ViewPixels};
constexpr Place ScrollBar2Place{0, ViewPixels, ViewPixels, PaletteBarHeight};
// One arrow click scrolls one chip, a click in the page area two.
constexpr int ScrollSmallStep = ChipPixels;
constexpr int ScrollLargeStep = 2 * ChipPixels;

Pixel toPixel(const QColor& c) {
    return 0xFF000000u | (c.rgb() & 0x00FFFFFFu);
}

} // namespace

TMapChipWindow::TMapChipWindow(PalettePort& app) : QWidget(nullptr), app_(app) {
    // A fixed dialog-style border with only a close box; setClientSize keeps it unresizable.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(uiText(Caption));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    // Moves over the bare client area make the sheet visible again after a scroll.
    setMouseTracking(true);

    // Children bottom to top; the scroll bars lie above the pictures and the frame.
    Image2 = new PictureWidget(this);
    place(Image2, Image2Place);
    // Whatever the still copy does not reach shows the window's own face colour.
    Image2->setBitmap(
        Bitmap(Image2Place.width, Image2Place.height, toPixel(face.color(QPalette::Button))));

    Image1 = new PictureWidget(this);
    Image1->setAutoSize(true);
    Image1->move(0, 0);

    Shape1 = new ShapeWidget(ShapeWidget::Shape::Rectangle, Shape1PenWidth, this);
    place(Shape1, Shape1Place);

    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    setUpScrollBar(ScrollBar1, ScrollBar1Place, ScrollSmallStep, ScrollLargeStep);
    ScrollBar2 = new QScrollBar(Qt::Horizontal, this);
    setUpScrollBar(ScrollBar2, ScrollBar2Place, ScrollSmallStep, ScrollLargeStep);
    ScrollBar2->installEventFilter(this);
    Image1->installEventFilter(this);
    Image2->installEventFilter(this);

    // The design size; LayoutChipWindow gives the real one through setClientSize.
    resize(DesignClientWidth, DesignClientHeight);

    connect(Image1, &PictureWidget::mouseMoved, this, &TMapChipWindow::Image1MouseMove);
    connect(Image2, &PictureWidget::mouseMoved, this, [this](int, int) { Image2MouseMove(); });
    connect(Image1, &PictureWidget::mousePressed, this, &TMapChipWindow::Image1MouseDown);
    connect(Image2, &PictureWidget::mousePressed, this, &TMapChipWindow::Image2MouseDown);
    // Every user scroll (arrows, page areas, thumb, keyboard, wheel over the bar) arrives as an
    // action with the proposed position already in sliderPosition(); the handler's snapped value
    // goes back into the bar before it takes the position as its value.
    connect(ScrollBar1, &QScrollBar::actionTriggered, this, [this](int) {
        const int proposed = ScrollBar1->sliderPosition();
        const int taken = ScrollBar1Scroll(proposed);
        if (taken != proposed) ScrollBar1->setSliderPosition(taken);
    });
    connect(ScrollBar2, &QScrollBar::actionTriggered, this, [this](int) {
        const int proposed = ScrollBar2->sliderPosition();
        const int taken = ScrollBar2Scroll(proposed);
        if (taken != proposed) ScrollBar2->setSliderPosition(taken);
    });
    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this](int) { ScrollBar1Change(); });
    connect(ScrollBar2, &QScrollBar::valueChanged, this, [this](int) { ScrollBar2Change(); });
}

const Bitmap& TMapChipWindow::sheet() const {
    return app_.sheet();
}

void TMapChipWindow::showSheet(const Bitmap& sheet) {
    Image1->setBitmap(sheet);
}

void TMapChipWindow::fitToSheet(const ChipWindowLayout& layout, bool showWindow) {
    QScrollBar* vertical = ScrollBar1;
    QScrollBar* horizontal = ScrollBar2;
    vertical->hide();
    horizontal->hide();
    // Set as a value, not through setBarPosition: a bar that was not at 0 runs its change handler
    // (the still copy is refreshed and Image1 hidden; it is shown again below). The user's scroll
    // handler is not run by this.
    vertical->setValue(0);
    horizontal->setValue(0);

    Image1->move(0, 0);
    // A hidden bar keeps no range from an earlier, larger sheet: the wheel or a key would still
    // step it and move a sheet that fits.
    horizontal->setMaximum(layout.horizontalBar ? layout.horizontalMax : 0);
    horizontal->setVisible(layout.horizontalBar);
    vertical->setMaximum(layout.verticalBar ? layout.verticalMax : 0);
    vertical->setVisible(layout.verticalBar);
    vertical->setGeometry(layout.verticalBarLeft, 0, vertical->width(), ViewPixels);
    horizontal->setGeometry(0, layout.horizontalBarTop, ViewPixels, horizontal->height());
    setClientSize(layout.clientWidth, layout.clientHeight);

    if (showWindow) show();
    Image1->show();
}

void TMapChipWindow::setClientSize(int width, int height) {
    // Minimum and maximum pinned to the size: the border cannot be dragged. A plain resize()
    // would be held back by the pins, so code sizes the window only through here.
    setFixedSize(width, height);
}

void TMapChipWindow::Image1MouseMove(int x, int y) {
    // (x, y) are sheet pixels. The cell is counted in the viewport, as the map view counts it:
    // the scroll offset in chips plus the cell of the viewport pixel, so the viewport's first
    // pixel row and column belong to the first chip shown, not to the one scrolled out of sight.
    const int scrollX = app_.State.SheetScrollX;
    const int scrollY = app_.State.SheetScrollY;
    const int col = scrollX / ChipPixels + pixelToCell(x - scrollX, ChipPixels);
    const int row = scrollY / ChipPixels + pixelToCell(y - scrollY, ChipPixels);
    Shape1->move(col * ChipPixels - scrollX, row * ChipPixels - scrollY);
}

int TMapChipWindow::ScrollBar1Scroll(int position) {
    const int snapped = snapSheetScroll(position);
    Image1->move(Image1->x(), -snapped);
    app_.State.SheetScrollY = snapped;
    return snapped;
}

int TMapChipWindow::ScrollBar2Scroll(int position) {
    const int snapped = snapSheetScroll(position);
    Image1->move(-snapped, Image1->y());
    app_.State.SheetScrollX = snapped;
    return snapped;
}

void TMapChipWindow::ScrollBar1Change() {
    showStillCopy();
}
void TMapChipWindow::ScrollBar2Change() {
    showStillCopy();
}

void TMapChipWindow::showStillCopy() {
    // The viewport's full sheet width, always 320 high; source pixels beyond the sheet come out
    // neutral, destination pixels beyond the copy keep Image2's face colour.
    const int w = sheet().width();
    stretchBlt(Image2->bitmap(), Rect{0, 0, w, ViewPixels}, sheet(),
               Rect{app_.State.SheetScrollX, app_.State.SheetScrollY, w, ViewPixels});
    Image2->refresh();
    Image1->hide();
}

void TMapChipWindow::FormMouseMove() {
    Image1->show();
}
void TMapChipWindow::Image2MouseMove() {
    Image1->show();
}

void TMapChipWindow::Image1MouseDown(Qt::MouseButton, int x, int y) {
    // Any button selects, the chip under the pointer, which the frame then shows.
    Image1MouseMove(x, y);
    chooseFramedChip();
}

void TMapChipWindow::Image2MouseDown(Qt::MouseButton button, int x, int y) {
    Image2MouseMove();
    Image1MouseDown(button, x + app_.State.SheetScrollX, y + app_.State.SheetScrollY);
}

void TMapChipWindow::chooseFramedChip() {
    // Without a sheet there is nothing to choose from.
    if (sheet().isNull()) return;
    // A pick ends the undo step of a painting run in progress.
    app_.State.History.closeStep();
    const int left = Shape1->x() + app_.State.SheetScrollX;
    const int top = Shape1->y() + app_.State.SheetScrollY;
    const int columns = sheet().width() / ChipPixels;
    const int col = left / ChipPixels;
    // A press beside the sheet (right of its last whole column, below its last row) frames no
    // chip of it: that square would count on into the next row, or past the last chip.
    if (col >= columns || !app_.chooseChip(chipIndexAt(col, top / ChipPixels, columns))) return;

    // The new-map dialog's preview shows the chosen chip, whether the dialog is open or not.
    app_.showChipPreview(left, top);
}

void TMapChipWindow::FormClose() {
    app_.setChipWindowShown(false);
}

void TMapChipWindow::setBarPosition(QScrollBar* bar, int position) {
    // setValue never raises actionTriggered, so the user's scroll handler stays out of it; the
    // change handler does run, which refreshes the still copy as any position change does.
    bar->setValue(position);
}

bool TMapChipWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Image1 || watched == Image2) && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (watched == ScrollBar2 && stepHorizontalBarByKey(ScrollBar2, event)) return true;
    return QWidget::eventFilter(watched, event);
}

void TMapChipWindow::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMapChipWindow::wheelEvent(QWheelEvent* event) {
    event->accept();
    // The bars' arrow step is one chip and their handler snaps, so the view moves by whole chips.
    stepBarsByWheel(ScrollBar1, ScrollBar2, wheel_.take(*event));
}

void TMapChipWindow::mouseMoveEvent(QMouseEvent* event) {
    FormMouseMove();
    event->accept();
}

} // namespace tilora
