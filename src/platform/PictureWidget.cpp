#include "platform/PictureWidget.h"

#include <QMouseEvent>
#include <QPainter>

namespace tilora {

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMouseTracking(true);
}

void PictureWidget::setBitmap(Bitmap bitmap) {
    bitmap_ = std::move(bitmap);
    wrap();
    if (autoSize_) resize(bitmap_.width(), bitmap_.height());
    update();
}

void PictureWidget::refresh() {
    rewrapIfMoved();
    update();
}

void PictureWidget::rewrapIfMoved() {
    // The bitmap may have been replaced wholesale through bitmap(); its buffer then moved.
    if (image_.constBits() != reinterpret_cast<const uchar*>(bitmap_.data()) ||
        image_.width() != bitmap_.width() || image_.height() != bitmap_.height()) {
        wrap();
    }
}

void PictureWidget::wrap() {
    if (bitmap_.isNull()) {
        image_ = QImage();
        return;
    }
    image_ = QImage(reinterpret_cast<const uchar*>(bitmap_.data()), bitmap_.width(),
                    bitmap_.height(), bitmap_.width() * int(sizeof(Pixel)), QImage::Format_RGB32);
}

void PictureWidget::paintEvent(QPaintEvent*) {
    // A repaint can come before the owner's refresh(); never draw from a buffer that is gone.
    rewrapIfMoved();
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void PictureWidget::mouseMoveEvent(QMouseEvent* event) {
    // A press keeps the mouse for this picture until its release; the moves in between belong
    // to that press and are told apart from the moves with no button held.
    const QPoint p = event->position().toPoint();
    if (event->buttons() == Qt::NoButton)
        emit mouseMoved(p.x(), p.y());
    else
        emit mouseDragged(p.x(), p.y(), event->modifiers());
    event->accept();
}

void PictureWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mousePressed(event->button(), p.x(), p.y(), event->modifiers());
    event->accept();
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseReleased(event->button(), p.x(), p.y(), event->modifiers());
    event->accept();
}

} // namespace tilora
