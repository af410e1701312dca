#include "cli/MapImage.h"

#include "cli/PngEncoder.h"
#include "core/ChipRenderer.h"
#include "core/Geometry.h"
#include "core/Texts.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tilora::cli {

namespace {

constexpr std::size_t BmpHeaderBytes = 14 + 40;
constexpr std::uint64_t MaxBmpBytes = 0xFFFFFFFFu; // the header's size fields are 32 bits

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    return std::equal(
        suffix.begin(), suffix.end(), s.end() - std::ptrdiff_t(suffix.size()),
        [](char want, char c) { return (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) == want; });
}

std::size_t bmpStride(const MapContents& map, int cellSize) {
    return (std::size_t(map.width) * std::size_t(cellSize) * 3 + 3) & ~std::size_t(3);
}

std::uint64_t bmpFileSize(const MapContents& map, int cellSize) {
    return BmpHeaderBytes +
           std::uint64_t(bmpStride(map, cellSize)) * std::uint64_t(map.height) * cellSize;
}

// The 32 x 32 square at (x, y) of `from` averaged down to size x size pixels: each output pixel
// is the rounded mean, channel by channel, of the source pixels that fall on it.
void boxReduce(Pixel* to, const Bitmap& from, int x, int y, int size) {
    for (int oy = 0; oy < size; ++oy) {
        const int y0 = oy * ChipPixels / size;
        const int y1 = (oy + 1) * ChipPixels / size;
        for (int ox = 0; ox < size; ++ox) {
            const int x0 = ox * ChipPixels / size;
            const int x1 = (ox + 1) * ChipPixels / size;
            std::uint32_t r = 0, g = 0, b = 0;
            for (int sy = y0; sy < y1; ++sy) {
                const Pixel* p = from.row(y + sy) + x;
                for (int sx = x0; sx < x1; ++sx) {
                    r += (p[sx] >> 16) & 0xFF;
                    g += (p[sx] >> 8) & 0xFF;
                    b += p[sx] & 0xFF;
                }
            }
            const std::uint32_t count = std::uint32_t((y1 - y0) * (x1 - x0));
            const auto mean = [count](std::uint32_t sum) { return (sum + count / 2) / count; };
            to[oy * size + ox] = 0xFF000000u | mean(r) << 16 | mean(g) << 8 | mean(b);
        }
    }
}

// The editor's reduction of one chip (AND of each block), through the same stretching copy.
void andReduce(Pixel* to, const Bitmap& from, Rect square, int size) {
    Bitmap reduced(size, size);
    stretchBlt(reduced, Rect{0, 0, size, size}, from, square);
    std::memcpy(to, reduced.data(), std::size_t(size) * size * sizeof(Pixel));
}

void putLe16(char* p, std::uint32_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}

void putLe32(char* p, std::uint32_t v) {
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}

// One pixel row as B, G, R bytes (BMP) followed by zero padding up to the stride.
void packBgrRow(char* dst, const Pixel* src, int width, std::size_t stride) {
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

void packRgbRow(unsigned char* dst, const Pixel* src, int width) {
    for (int x = 0; x < width; ++x, dst += 3) {
        dst[0] = static_cast<unsigned char>(src[x] >> 16);
        dst[1] = static_cast<unsigned char>(src[x] >> 8);
        dst[2] = static_cast<unsigned char>(src[x]);
    }
}

// A 24-bit bottom-up BMP: the header, then one map row of cells at a time from the bottom.
class BmpMapEncoder : public MapImageEncoder {
  public:
    BmpMapEncoder(const MapContents& map, const Bitmap& sheet, int cellSize, RenderFilter filter)
        : map_(map), painter_(map, sheet, cellSize, filter), stride_(bmpStride(map, cellSize)),
          nextMapRow_(map.height - 1) {
        painter_.packFor(MapRowPainter::ByteOrder::Bgr);
    }

    std::string_view next() override {
        const int cellSize = painter_.cellSize();
        const int width = painter_.pixelWidth();
        if (!headerDone_) {
            headerDone_ = true;
            const std::uint64_t fileSize = bmpFileSize(map_, cellSize);
            piece_.assign(BmpHeaderBytes, 0);
            char* h = piece_.data();
            h[0] = 'B';
            h[1] = 'M';
            putLe32(h + 2, std::uint32_t(fileSize));
            putLe32(h + 10, std::uint32_t(BmpHeaderBytes));
            putLe32(h + 14, 40);
            putLe32(h + 18, std::uint32_t(width));
            putLe32(h + 22, std::uint32_t(map_.height * cellSize)); // positive: rows bottom-up
            putLe16(h + 26, 1);                                     // planes
            putLe16(h + 28, 24); // bits per pixel; compression 0 (none)
            putLe32(h + 34, std::uint32_t(fileSize - BmpHeaderBytes));
            putLe32(h + 38, 2835); // 72 dpi
            putLe32(h + 42, 2835);
            return {piece_.data(), piece_.size()};
        }
        if (nextMapRow_ < 0) return {};
        const std::size_t mapRowBytes = stride_ * std::size_t(cellSize);
        if (rowsPerPiece_ == 0) {
            // Whole map rows, about 2 MB a piece: few writes, little memory.
            rowsPerPiece_ = int(std::clamp<std::size_t>((2u << 20) / mapRowBytes, 1, 64));
            piece_.resize(mapRowBytes * std::size_t(rowsPerPiece_));
            if (painter_.drawsBytes()) {
                // The padding at the end of each pixel row stays zero; the pixels are drawn over.
                std::fill(piece_.begin(), piece_.end(), 0);
            } else {
                strip_ = Bitmap(width, cellSize);
            }
        }
        const int rows = std::min(rowsPerPiece_, nextMapRow_ + 1);
        for (int k = 0; k < rows; ++k) {
            char* const at = piece_.data() + mapRowBytes * std::size_t(k);
            // Bottom-up: the map row's last pixel row comes first.
            if (painter_.drawsBytes()) {
                painter_.drawRowBytes(reinterpret_cast<unsigned char*>(at) + mapRowBytes - stride_,
                                      -std::ptrdiff_t(stride_), nextMapRow_--);
                continue;
            }
            painter_.drawRow(strip_, nextMapRow_--);
            for (int y = 0; y < cellSize; ++y)
                packBgrRow(at + stride_ * std::size_t(y), strip_.row(cellSize - 1 - y), width,
                           stride_);
        }
        return {piece_.data(), mapRowBytes * std::size_t(rows)};
    }

  private:
    const MapContents& map_;
    MapRowPainter painter_;
    std::size_t stride_;
    Bitmap strip_;
    std::vector<char> piece_;
    int nextMapRow_;       // counts down; -1 after the last row
    int rowsPerPiece_ = 0; // 0 until the first rows are drawn
    bool headerDone_ = false;
};

class PngMapEncoder : public MapImageEncoder {
  public:
    PngMapEncoder(const MapContents& map, const Bitmap& sheet, int cellSize, RenderFilter filter,
                  int level)
        : painter_(map, sheet, cellSize, filter),
          png_(painter_.pixelWidth(), map.height * cellSize, bandRows(map, cellSize), level,
               [this](int firstRow, int rows, unsigned char* rgb) { draw(firstRow, rows, rgb); }) {
        painter_.packFor(MapRowPainter::ByteOrder::Rgb);
    }

    std::string_view next() override { return png_.next(); }

  private:
    // Whole map rows per band, about 4 MB of pixels each, so every core has a band to work on
    // while the memory in use stays small.
    static int bandRows(const MapContents& map, int cellSize) {
        const std::size_t mapRowBytes = std::size_t(map.width) * cellSize * 3 * cellSize;
        const std::size_t perBand = std::max<std::size_t>(1, (4u << 20) / mapRowBytes);
        return int(std::min<std::size_t>(perBand, std::size_t(map.height))) * cellSize;
    }

    void draw(int firstRow, int rows, unsigned char* rgb) const {
        const int cellSize = painter_.cellSize();
        const int width = painter_.pixelWidth();
        const std::size_t stride = std::size_t(width) * 3;
        if (painter_.drawsBytes()) {
            for (int y = 0; y < rows; y += cellSize)
                painter_.drawRowBytes(rgb + std::size_t(y) * stride, std::ptrdiff_t(stride),
                                      (firstRow + y) / cellSize);
            return;
        }
        Bitmap strip(width, cellSize);
        for (int y = 0; y < rows; y += cellSize) {
            painter_.drawRow(strip, (firstRow + y) / cellSize);
            for (int k = 0; k < cellSize; ++k)
                packRgbRow(rgb + std::size_t(y + k) * std::size_t(width) * 3, strip.row(k), width);
        }
    }

    MapRowPainter painter_;
    PngEncoder png_;
};

} // namespace

std::optional<ImageFormat> imageFormatFor(std::string_view path) {
    if (endsWithNoCase(path, ".bmp")) return ImageFormat::Bmp;
    if (endsWithNoCase(path, ".png")) return ImageFormat::Png;
    return std::nullopt;
}

bool isCellSize(int cellSize) {
    return cellSize >= 1 && cellSize <= 64;
}

Status checkImageSize(const MapContents& map, int cellSize, ImageFormat format) {
    const std::int64_t width = std::int64_t(map.width) * cellSize;
    const std::int64_t height = std::int64_t(map.height) * cellSize;
    if (width * height > MaxImagePixels)
        return Error{i18n("the image is too large (%1 x %2 pixels; the limit is %3 pixels); "
                          "make --cell-size smaller",
                          {width, height, MaxImagePixels})};
    if (format == ImageFormat::Bmp && bmpFileSize(map, cellSize) > MaxBmpBytes)
        return Error{i18n("the BMP is too large (%1 x %2 pixels, %3 bytes; a BMP holds at most "
                          "%4 bytes); write a PNG or make --cell-size smaller",
                          {width, height, bmpFileSize(map, cellSize), MaxBmpBytes})};
    return Ok{};
}

MapRowPainter::MapRowPainter(const MapContents& map, const Bitmap& sheet, int cellSize,
                             RenderFilter filter)
    : map_(map), sheet_(sheet), cellSize_(cellSize), sheetColumns_(sheet.width() / ChipPixels) {
    if (cellSize >= ChipPixels) return; // enlarged cells repeat pixels: nothing to reduce
    const int chips = chipCount(sheet.width(), sheet.height());
    slot_.assign(std::size_t(chips), -1);
    int used = 1;
    for (std::int32_t chip : map.cells)
        if (chip >= 0 && chip < chips && slot_[std::size_t(chip)] < 0)
            slot_[std::size_t(chip)] = used++;
    const int area = cellSize * cellSize;
    reduced_ = Bitmap(area, used);
    const auto reduce = [&](Pixel* to, const Bitmap& from, Rect square) {
        if (filter == RenderFilter::Box)
            boxReduce(to, from, square.x, square.y, cellSize);
        else
            andReduce(to, from, square, cellSize);
    };
    reduce(reduced_.row(0), neutralChip(), Rect{0, 0, ChipPixels, ChipPixels});
    for (std::size_t chip = 0; chip < slot_.size(); ++chip) {
        // Unused chips and chips the sheet does not hold draw from the neutral slot 0.
        if (slot_[chip] < 0 || !chipOnSheet(std::int32_t(chip), sheetColumns_, sheet)) {
            slot_[chip] = 0;
        } else {
            reduce(reduced_.row(slot_[chip]), sheet,
                   chipSourceRect(std::int32_t(chip), sheetColumns_));
        }
    }
}

void MapRowPainter::drawRow(Bitmap& strip, int r) const {
    const std::int32_t* cells = map_.cells.data() + std::size_t(r) * map_.width;
    const int s = cellSize_;
    if (s < ChipPixels) {
        for (int c = 0; c < map_.width; ++c) {
            const std::int32_t chip = cells[c];
            const int slot =
                chip >= 0 && std::size_t(chip) < slot_.size() ? slot_[std::size_t(chip)] : 0;
            const Pixel* from = reduced_.row(slot);
            for (int y = 0; y < s; ++y)
                std::memcpy(strip.row(y) + std::size_t(c) * s, from + y * s, std::size_t(s) * 4);
        }
        return;
    }
    for (int c = 0; c < map_.width; ++c) {
        const std::int32_t chip = cells[c];
        const Rect to{c * s, 0, s, s};
        if (chipOnSheet(chip, sheetColumns_, sheet_))
            stretchBlt(strip, to, sheet_, chipSourceRect(chip, sheetColumns_));
        else
            stretchBlt(strip, to, neutralChip(), Rect{0, 0, ChipPixels, ChipPixels});
    }
}

void MapRowPainter::packFor(ByteOrder order) {
    if (reduced_.isNull()) return; // enlarged cells: drawn through drawRow
    const std::size_t pixels = std::size_t(reduced_.width()) * std::size_t(reduced_.height());
    packed_.resize(pixels * 3);
    const Pixel* from = reduced_.data();
    unsigned char* to = packed_.data();
    const int first = order == ByteOrder::Bgr ? 0 : 16; // shift of the first byte's channel
    for (std::size_t k = 0; k < pixels; ++k, to += 3) {
        to[0] = static_cast<unsigned char>(from[k] >> first);
        to[1] = static_cast<unsigned char>(from[k] >> 8);
        to[2] = static_cast<unsigned char>(from[k] >> (16 - first));
    }
}

void MapRowPainter::drawRowBytes(unsigned char* rows, std::ptrdiff_t step, int r) const {
    const std::int32_t* cells = map_.cells.data() + std::size_t(r) * map_.width;
    const std::size_t cellBytes = std::size_t(cellSize_) * 3;
    const std::size_t chipBytes = cellBytes * std::size_t(cellSize_);
    for (int y = 0; y < cellSize_; ++y) {
        unsigned char* to = rows + step * y;
        const unsigned char* const rowOfChips = packed_.data() + cellBytes * std::size_t(y);
        for (int c = 0; c < map_.width; ++c, to += cellBytes) {
            const std::int32_t chip = cells[c];
            const int slot =
                chip >= 0 && std::size_t(chip) < slot_.size() ? slot_[std::size_t(chip)] : 0;
            std::memcpy(to, rowOfChips + chipBytes * std::size_t(slot), cellBytes);
        }
    }
}

std::unique_ptr<MapImageEncoder> makeMapImageEncoder(const MapContents& map, const Bitmap& sheet,
                                                     int cellSize, RenderFilter filter,
                                                     ImageFormat format, int pngLevel) {
    if (format == ImageFormat::Bmp)
        return std::make_unique<BmpMapEncoder>(map, sheet, cellSize, filter);
    return std::make_unique<PngMapEncoder>(map, sheet, cellSize, filter, pngLevel);
}

} // namespace tilora::cli
