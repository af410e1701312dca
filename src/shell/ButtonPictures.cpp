#include "shell/ButtonPictures.h"

#include <QPainter>

namespace tilora {

QIcon buttonIcon(ButtonPicture picture) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.fillRect(2, 2, 12, 12, QColor::fromHsv((int(picture) * 25) % 360, 160, 200));
    p.end();
    return QIcon(pixmap);
}

QIcon applicationIcon() { return buttonIcon(ButtonPicture::ChipWindow); }

QPixmap splashPicture() {
    QPixmap pixmap(320, 128);
    pixmap.fill(Qt::white);
    return pixmap;
}

}  // namespace tilora
