#include "platform/ShapeWidget.h"

#include <QPainter>

namespace tilora {

ShapeWidget::ShapeWidget(Shape shape, int penWidth, QWidget* parent)
    : QWidget(parent), shape_(shape), penWidth_(penWidth) {
    // The window system passes the pointer through to whatever lies beneath the outline.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void ShapeWidget::setShape(Shape shape) {
    shape_ = shape;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, shape_ != Shape::Rectangle);
    QPen pen(Qt::red);
    pen.setWidth(penWidth_);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // The outline lies inside the widget's rectangle: a wide pen is drawn inward, never clipped.
    const qreal half = penWidth_ / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    switch (shape_) {
    case Shape::Rectangle:
        painter.drawRect(r);
        break;
    case Shape::RoundSquare: {
        const qreal radius = std::min(r.width(), r.height()) / 4.0;
        painter.drawRoundedRect(r, radius, radius);
        break;
    }
    case Shape::Circle: {
        const qreal side = std::min(r.width(), r.height());
        painter.drawEllipse(
            QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side));
        break;
    }
    }
}

} // namespace tilora
