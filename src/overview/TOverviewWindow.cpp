#include "overview/TOverviewWindow.h"

#include "core/EditorState.h"
#include "platform/UiText.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tilora {

namespace {

const UiText Caption{QT_TRANSLATE_NOOP("tilora", "全体図")};
// Around a picture smaller than the window.
const QColor Surround(64, 64, 64);
// The view's rectangle: white inside a dark edge, so it shows on light and dark maps alike.
const QColor FrameInner(255, 255, 255);
const QColor FrameOuter(0, 0, 0);

QRect toQRect(const Rect& r) {
    return {r.x, r.y, r.w, r.h};
}

} // namespace

TOverviewWindow::TOverviewWindow(OverviewHost& host) : QWidget(nullptr), host_(host) {
    // A tool window like the map window and the palette; the picture never grows beyond it.
    setWindowFlags(Qt::Tool);
    setWindowTitle(Caption);
    setFixedSize(OverviewPixels, OverviewPixels);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect TOverviewWindow::pictureRect() const {
    const Bitmap& p = overview_.picture();
    return {(width() - p.width()) / 2, (height() - p.height()) / 2, p.width(), p.height()};
}

QRect TOverviewWindow::viewFrame() const {
    return frame_.translated(pictureRect().topLeft());
}

void TOverviewWindow::follow(const EditorState& state, const Bitmap& sheet, const CellArea& touched,
                             const ViewSize& view) {
    const QRect oldPicture = pictureRect();
    const QRect oldFrame = viewFrame();
    if (coloursStale_ || coloursColumns_ != state.SheetColumns) {
        overview_.setSheet(&sheet, state.SheetColumns);
        coloursStale_ = false;
        coloursColumns_ = state.SheetColumns;
        overview_.rebuild(state);
        wrapPicture();
        update();
    } else if (!touched.empty()) {
        const bool resized = state.MapWidth != overview_.mapWidth() ||
                             state.MapHeight != overview_.mapHeight() ||
                             overview_.picture().isNull();
        const Rect changed = overview_.update(state, touched);
        if (resized) {
            wrapPicture();
            update();
        } else if (changed.w > 0 && changed.h > 0) {
            update(toQRect(changed).translated(pictureRect().topLeft()));
        }
    }
    frame_ = toQRect(overview_.viewRect(state, view));
    if (pictureRect() != oldPicture) {
        update();
    } else if (viewFrame() != oldFrame) {
        // The outline is drawn one pixel outside the rectangle: repaint a pixel around each.
        update(oldFrame.adjusted(-1, -1, 1, 1));
        update(viewFrame().adjusted(-1, -1, 1, 1));
    }
}

void TOverviewWindow::wrapPicture() {
    const Bitmap& p = overview_.picture();
    image_ = p.isNull() ? QImage()
                        : QImage(reinterpret_cast<const uchar*>(p.data()), p.width(), p.height(),
                                 p.width() * int(sizeof(Pixel)), QImage::Format_RGB32);
}

void TOverviewWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const QRect picture = pictureRect();
    painter.fillRect(rect(), Surround);
    if (!image_.isNull()) painter.drawImage(picture.topLeft(), image_);
    if (frame_.isEmpty()) return;
    const QRect f = viewFrame();
    painter.setPen(FrameOuter);
    painter.drawRect(f.adjusted(-1, -1, 0, 0));
    painter.setPen(FrameInner);
    painter.drawRect(f.adjusted(0, 0, -1, -1));
}

void TOverviewWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) moveViewTo(event->position().toPoint());
    event->accept();
}

void TOverviewWindow::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) moveViewTo(event->position().toPoint());
    event->accept();
}

void TOverviewWindow::moveViewTo(QPoint at) {
    if (overview_.picture().isNull()) return;
    const QPoint p = at - pictureRect().topLeft();
    const Overview::Cell cell = overview_.cellAt(p.x(), p.y());
    host_.centreMapViewOn(cell.row, cell.col);
}

void TOverviewWindow::closeEvent(QCloseEvent* event) {
    host_.overviewClosed();
    event->accept();
}

} // namespace tilora
