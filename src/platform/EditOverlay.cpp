#include "platform/EditOverlay.h"

#include <QPaintEvent>
#include <QPainter>
#include <utility>

namespace tilora {

namespace {

// The preview lets the map show through it.
constexpr double PreviewOpacity = 0.75;

} // namespace

EditOverlay::EditOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void EditOverlay::setOutline(const QRect& pixels) {
    if (pixels == outline_) return;
    outline_ = pixels;
    update();
}

void EditOverlay::setPreview(QImage image, QPoint at) {
    preview_ = std::move(image);
    previewAt_ = at;
    update();
}

void EditOverlay::clearPreview() {
    if (preview_.isNull()) return;
    preview_ = QImage();
    update();
}

void EditOverlay::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    if (!preview_.isNull()) {
        p.setOpacity(PreviewOpacity);
        p.drawImage(previewAt_, preview_);
        p.setOpacity(1.0);
    }
    if (outline_.isNull()) return;
    // White under black dashes: the outline shows on dark and light chips alike, at every cell
    // size. Drawn on the selection's outermost pixels, so a selection at the view's edge keeps
    // its edge in sight.
    const QRect r = outline_.adjusted(0, 0, -1, -1);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(r);
    QPen dashes(Qt::black, 1, Qt::CustomDashLine);
    dashes.setDashPattern({4, 4});
    p.setPen(dashes);
    p.drawRect(r);
}

} // namespace tilora
