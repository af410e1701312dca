#include "cli/MapImage.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cstring>
#include <string>

namespace tilora::cli {

namespace {

constexpr std::size_t BmpHeaderBytes = 14 + 40;

// Draws map row r into strip (width * cellSize x cellSize).
void drawMapRow(ChipRenderer& renderer, Bitmap& strip, const MapContents& map, int r, int cellSize,
                int sheetColumns) {
    const std::int32_t* cells = map.cells.data() + std::size_t(r) * map.width;
    for (int c = 0; c < map.width; ++c)
        renderer.drawChip(strip, c * cellSize, 0, cellSize, sheetColumns, cells[c]);
}

void putLe16(char* p, std::uint32_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}

void putLe32(char* p, std::uint32_t v) {
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}

// One pixel row as B, G, R bytes followed by zero padding up to the stride.
void packRow(char* dst, const Pixel* src, int width, std::size_t stride) {
    // Pixels are 0xAARRGGBB, so their little-endian bytes are B, G, R, A: store four and step
    // three; the last pixel stores exactly three, so nothing is written past the row.
    int x = 0;
    for (; x + 1 < width; ++x, dst += 3)
        std::memcpy(dst, &src[x], 4);
    const Pixel last = src[x];
    dst[0] = char(last & 0xFF);
    dst[1] = char((last >> 8) & 0xFF);
    dst[2] = char((last >> 16) & 0xFF);
    std::memset(dst + 3, 0, stride - std::size_t(width) * 3);
}

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    return std::equal(
        suffix.begin(), suffix.end(), s.end() - std::ptrdiff_t(suffix.size()),
        [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

Result<QByteArray> encodePng(const MapContents& map, const Bitmap& sheet, int cellSize) {
    QImage image(map.width * cellSize, map.height * cellSize, QImage::Format_RGB32);
    if (image.isNull()) return Error{"画像のメモリを確保できません"};
    ChipRenderer renderer;
    renderer.setSheet(&sheet);
    Bitmap strip(image.width(), cellSize);
    const std::size_t rowBytes = std::size_t(image.width()) * sizeof(Pixel);
    for (int r = 0; r < map.height; ++r) {
        drawMapRow(renderer, strip, map, r, cellSize, sheet.width() / ChipPixels);
        for (int y = 0; y < cellSize; ++y)
            std::memcpy(image.scanLine(r * cellSize + y), strip.row(y), rowBytes);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return Error{"PNG を書けません：" + writer.errorString().toStdString()};
    return bytes;
}

} // namespace

std::optional<ImageFormat> imageFormatFor(std::string_view path) {
    if (endsWithNoCase(path, ".bmp")) return ImageFormat::Bmp;
    if (endsWithNoCase(path, ".png")) return ImageFormat::Png;
    return std::nullopt;
}

bool isCellSize(int cellSize) {
    return cellSize >= 1 && cellSize <= 64 && (cellSize & (cellSize - 1)) == 0;
}

Status checkImageSize(const MapContents& map, int cellSize) {
    const std::int64_t width = std::int64_t(map.width) * cellSize;
    const std::int64_t height = std::int64_t(map.height) * cellSize;
    if (width * height <= MaxImagePixels) return Ok{};
    return Error{"画像が大きすぎます（" + std::to_string(width) + " x " + std::to_string(height) +
                 " ピクセル、上限は " + std::to_string(MaxImagePixels) +
                 " ピクセル）。--cell-size を小さくしてください"};
}

MapBmpEncoder::MapBmpEncoder(const MapContents& map, const Bitmap& sheet, int cellSize)
    : map_(map), cellSize_(cellSize), sheetColumns_(sheet.width() / ChipPixels),
      stride_((std::size_t(map.width) * cellSize * 3 + 3) & ~std::size_t(3)),
      nextMapRow_(map.height - 1) {
    renderer_.setSheet(&sheet);
}

std::uint64_t MapBmpEncoder::fileSize() const {
    return BmpHeaderBytes + std::uint64_t(stride_) * std::uint64_t(map_.height) * cellSize_;
}

std::string_view MapBmpEncoder::next() {
    const int width = map_.width * cellSize_;
    const int height = map_.height * cellSize_;
    if (!headerDone_) {
        headerDone_ = true;
        piece_.assign(BmpHeaderBytes, 0);
        char* h = piece_.data();
        h[0] = 'B';
        h[1] = 'M';
        putLe32(h + 2, std::uint32_t(fileSize()));
        putLe32(h + 10, std::uint32_t(BmpHeaderBytes));
        putLe32(h + 14, 40);
        putLe32(h + 18, std::uint32_t(width));
        putLe32(h + 22, std::uint32_t(height)); // positive: rows bottom-up
        putLe16(h + 26, 1);                     // planes
        putLe16(h + 28, 24);                    // bits per pixel; compression 0 (none)
        putLe32(h + 34, std::uint32_t(fileSize() - BmpHeaderBytes));
        putLe32(h + 38, 2835); // 72 dpi
        putLe32(h + 42, 2835);
        return {piece_.data(), piece_.size()};
    }
    if (nextMapRow_ < 0) return {};
    if (strip_.isNull()) {
        strip_ = Bitmap(width, cellSize_);
        piece_.resize(stride_ * std::size_t(cellSize_));
    }
    drawMapRow(renderer_, strip_, map_, nextMapRow_--, cellSize_, sheetColumns_);
    // Bottom-up: the strip's last pixel row comes first.
    for (int y = 0; y < cellSize_; ++y)
        packRow(piece_.data() + stride_ * std::size_t(y), strip_.row(cellSize_ - 1 - y), width,
                stride_);
    return {piece_.data(), piece_.size()};
}

Result<QByteArray> renderMapImage(const MapContents& map, const Bitmap& sheet, int cellSize,
                                  ImageFormat format) {
    if (auto size = checkImageSize(map, cellSize); !size) return size.error();
    if (format == ImageFormat::Png) return encodePng(map, sheet, cellSize);
    MapBmpEncoder encoder(map, sheet, cellSize);
    QByteArray bytes;
    bytes.reserve(qsizetype(encoder.fileSize()));
    for (std::string_view piece = encoder.next(); !piece.empty(); piece = encoder.next())
        bytes.append(piece.data(), qsizetype(piece.size()));
    return bytes;
}

} // namespace tilora::cli
