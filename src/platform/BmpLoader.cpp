#include "platform/BmpLoader.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

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

namespace {

// Compression codes of the info header.
constexpr std::uint32_t CompressionNone = 0;
constexpr std::uint32_t CompressionRle8 = 1;
constexpr std::uint32_t CompressionRle4 = 2;
constexpr std::uint32_t CompressionBitfields = 3;

constexpr qint64 FileHeaderSize = 14;
// Info header layouts the reader understands: the old 12-byte core header, the 40-byte Windows
// header, OS/2's 64-byte one and the 108/124-byte V4/V5 headers.
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSizes[] = {40, 64, 108, 124};
constexpr std::uint32_t V4HeaderSize = 108;
// Enough to hold the file header and the largest info header.
constexpr qint64 HeaderBytes = FileHeaderSize + 124;

std::uint16_t u16(const QByteArray& b, int at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}
std::uint32_t u32(const QByteArray& b, int at) {
    return std::uint32_t(u16(b, at)) | std::uint32_t(u16(b, at + 2)) << 16;
}

// What the headers announce, enough to know where the pixel data ends.
struct BmpHeader {
    qint64 width = 0;
    qint64 height = 0; // absolute value: rows stored bottom-up or top-down alike
    int bitsPerPixel = 0;
    std::uint32_t compression = CompressionNone;
    qint64 pixelDataStart = 0;
    qint64 pixelDataSize = 0; // 0 when the header cannot tell (compressed, size not given)
};

QString failure(const QString& reason, const QString& path) {
    return QStringLiteral("ビットマップを読み込めません：%1（%2）").arg(reason, path);
}

// Reads the file and info headers; an error message when they are not a BMP the reader can take.
Result<BmpHeader> readHeader(const QByteArray& head, qint64 fileSize, const QString& path) {
    if (head.size() < FileHeaderSize + 4 || head[0] != 'B' || head[1] != 'M') {
        return Error{failure(QStringLiteral("BMP形式ではありません"), path).toStdString()};
    }
    const std::uint32_t offBits = u32(head, 10);
    const std::uint32_t infoSize = u32(head, 14);
    const bool core = infoSize == CoreHeaderSize;
    if (!core && std::find(std::begin(InfoHeaderSizes), std::end(InfoHeaderSizes), infoSize) ==
                     std::end(InfoHeaderSizes)) {
        return Error{failure(QStringLiteral("対応していないBMP形式です"), path).toStdString()};
    }
    if (head.size() < FileHeaderSize + qint64(infoSize)) {
        return Error{failure(QStringLiteral("ファイルが途中で切れています"), path).toStdString()};
    }

    BmpHeader h;
    std::uint32_t colorsUsed = 0;
    std::uint32_t sizeImage = 0;
    if (core) {
        // The reader takes the core header's sizes as signed 16-bit values.
        h.width = std::int16_t(u16(head, 18));
        h.height = std::int16_t(u16(head, 20));
        h.bitsPerPixel = u16(head, 24);
    } else {
        h.width = std::int32_t(u32(head, 18));
        h.height = std::int32_t(u32(head, 22));
        h.bitsPerPixel = u16(head, 28);
        h.compression = u32(head, 30);
        sizeImage = u32(head, 34);
        colorsUsed = u32(head, 46);
    }
    h.height = h.height < 0 ? -h.height : h.height;
    if (h.width <= 0 || h.height <= 0) {
        return Error{failure(QStringLiteral("大きさが正しくありません"), path).toStdString()};
    }
    if (h.width * h.height > MaxBitmapPixels) {
        return Error{QStringLiteral("ビットマップを読み込めません：大きすぎます（%1×%2ドット、"
                                    "読み込めるのは%3ドットまで：%4）")
                         .arg(h.width)
                         .arg(h.height)
                         .arg(MaxBitmapPixels)
                         .arg(path)
                         .toStdString()};
    }

    // The pixel data starts at the offset the file header gives, but never inside the colour
    // table or the bit masks (a zero offset means "right after them").
    const int bpp = h.bitsPerPixel;
    qint64 tableBytes = 0;
    if (bpp >= 1 && bpp <= 8) {
        const qint64 colours = colorsUsed != 0 ? qint64(colorsUsed) : (qint64(1) << bpp);
        tableBytes = colours * (core ? 3 : 4);
    } else if (h.compression == CompressionBitfields && infoSize < V4HeaderSize) {
        tableBytes = 12; // red, green and blue masks
    }
    h.pixelDataStart = std::max<qint64>(offBits, FileHeaderSize + infoSize + tableBytes);

    if (h.compression == CompressionNone || h.compression == CompressionBitfields) {
        // Rows are padded to 4 bytes. The decoder reads whole padded rows and leaves a row it
        // cannot read in full undefined, so the last row's padding must be there too.
        if (bpp <= 0 || bpp > 32) {
            return Error{failure(QStringLiteral("対応していないBMP形式です"), path).toStdString()};
        }
        const qint64 stride = (h.width * bpp + 31) / 32 * 4;
        h.pixelDataSize = stride * h.height;
    } else if (h.compression == CompressionRle8 || h.compression == CompressionRle4) {
        h.pixelDataSize = sizeImage;
    }
    if (h.pixelDataStart + h.pixelDataSize > fileSize) {
        return Error{failure(QStringLiteral("ファイルが途中で切れています"), path).toStdString()};
    }
    return h;
}

} // namespace

Result<Bitmap> loadBmp(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Error{failure(QStringLiteral("ファイルを開けません"), path).toStdString()};
    }
    const qint64 fileSize = file.size();
    if (fileSize == 0) {
        return Error{failure(QStringLiteral("ファイルが空です"), path).toStdString()};
    }
    const QByteArray head = file.read(HeaderBytes);
    Result<BmpHeader> header = readHeader(head, fileSize, path);
    if (!header) return header.error();
    file.seek(0);

    QImageReader reader(&file, "bmp");
    // The header check above already bounds the size; this keeps the decoder itself bounded too.
    reader.setAllocationLimit(int(MaxBitmapPixels * 4 / (1024 * 1024)) + 1);
    QImage image;
    if (header->compression == CompressionRle8 || header->compression == CompressionRle4) {
        // A run-length stream may skip pixels (jumps, early ends of line or of the picture); the
        // decoder writes into the image it is given when the size and format match, so hand it
        // one already cleared to colour 0 rather than leave those pixels undefined.
        image = QImage(int(header->width), int(header->height), QImage::Format_Indexed8);
        image.fill(0);
    }
    if (!reader.read(&image)) {
        return Error{failure(reader.errorString(), path).toStdString()};
    }
    return bitmapFromImage(image);
}

} // namespace tilora
