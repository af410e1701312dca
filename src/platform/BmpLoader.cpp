#include "platform/BmpLoader.h"

#include <QImage>
#include <QImageReader>

#include <cstring>

namespace tilora {

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

Result<Bitmap> loadBmp(const QString& path) {
    QImageReader reader(path, "bmp");
    QImage image;
    if (!reader.read(&image)) {
        return Error{QStringLiteral("ビットマップを読み込めません：%1").arg(reader.errorString()).toStdString()};
    }
    return bitmapFromImage(image);
}

}  // namespace tilora
