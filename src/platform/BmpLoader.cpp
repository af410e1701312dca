#include "platform/BmpLoader.h"

#include "core/SheetImage.h"

#include <QFile>
#include <QWidget>

#include <cstring>

namespace tilora {

// The palette shows a sheet as one widget; the core's side limit is Qt's widget size limit.
static_assert(MaxSheetSide == QWIDGETSIZE_MAX);

Result<Bitmap> loadBmp(const QString& path) {
    return loadSheetImage(QFile::encodeName(path).toStdString());
}

Bitmap bitmapFromImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Bitmap bitmap(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        std::memcpy(bitmap.row(y), rgb.constScanLine(y), std::size_t(rgb.width()) * sizeof(Pixel));
    }
    return bitmap;
}

QImage imageFromBitmap(const Bitmap& bitmap) {
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        std::memcpy(image.scanLine(y), bitmap.row(y), std::size_t(bitmap.width()) * sizeof(Pixel));
    }
    return image;
}

} // namespace tilora
