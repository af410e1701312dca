#include "TestApp.h"

#include "platform/BmpLoader.h"

#include <QImage>

namespace tilora::test {

QString writeSheetBmp(const QString& path, int width, int height) {
    const QImage image =
        imageFromBitmap(makeSheet(width, height)).convertToFormat(QImage::Format_RGB888);
    image.save(path, "BMP");
    return path;
}

} // namespace tilora::test
