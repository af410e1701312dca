#pragma once
// The whole map as one picture, streamed: BMP or PNG, any cell size from 1 to 64 pixels. Cells
// smaller than a chip are reduced either by averaging each block of source pixels (box: a
// reduced map looks like the map) or by the editor's own AND of the block (and: the map view's
// pixels exactly). Larger cells repeat pixels, the same for both.

#include "core/Bitmap.h"
#include "core/MapFile.h"
#include "core/Result.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tilora::cli {

// Largest picture rendered: 256 megapixels (768 MB of 24-bit pixels, streamed). Anything larger
// is refused before a byte is allocated.
inline constexpr std::int64_t MaxImagePixels = std::int64_t(1) << 28;
inline constexpr int DefaultRenderCellSize = 32;

enum class ImageFormat { Bmp, Png };
enum class RenderFilter { Box, And };

// The format a file name asks for by its suffix (".bmp", ".png", letter case ignored).
std::optional<ImageFormat> imageFormatFor(std::string_view path);

// A cell size the renderer takes: 1 to 64 pixels.
bool isCellSize(int cellSize);

// Refuses a picture of more than MaxImagePixels, or a BMP of 4 GB or more, saying how large it
// would be and what the limit is.
Status checkImageSize(const MapContents& map, int cellSize, ImageFormat format);

// Draws map rows into pixel strips. Shared read-only by the encoders' threads: every chip the
// map uses is reduced once, up front.
class MapRowPainter {
  public:
    MapRowPainter(const MapContents& map, const Bitmap& sheet, int cellSize, RenderFilter filter);
    int cellSize() const { return cellSize_; }
    int pixelWidth() const { return map_.width * cellSize_; }
    // Draws map row r into strip (pixelWidth() x cellSize()).
    void drawRow(Bitmap& strip, int r) const;

    // Cells smaller than a chip can also be drawn straight as file bytes, 3 a pixel, in the order
    // the painter was made for (see bytesFor).
    enum class ByteOrder { Bgr, Rgb };
    bool drawsBytes() const { return !packed_.empty(); }
    // Map row r's cellSize() pixel rows, pixel row y at rows + y * step (step may be negative).
    void drawRowBytes(unsigned char* rows, std::ptrdiff_t step, int r) const;
    // Keeps every used chip also as packed bytes in that order, for drawRowBytes.
    void packFor(ByteOrder order);

  private:
    const MapContents& map_;
    const Bitmap& sheet_;
    int cellSize_;
    int sheetColumns_;
    // Below 32 pixels: each used chip reduced, one per row of cellSize * cellSize pixels; row 0
    // is the neutral chip. slot_[chip] is the chip's row (0 for a chip not on the sheet).
    Bitmap reduced_;
    std::vector<std::int32_t> slot_;
    // The rows of reduced_, 3 bytes a pixel (packFor).
    std::vector<unsigned char> packed_;
};

// A picture file of the map, handed out piece by piece so it never exists in memory whole. The
// map and the sheet are borrowed; the size must have passed checkImageSize.
class MapImageEncoder {
  public:
    virtual ~MapImageEncoder() = default;
    // The next piece; valid until the following call. Empty when the file is complete.
    virtual std::string_view next() = 0;
};

// pngLevel: zlib's level 0..9, for PNG only.
std::unique_ptr<MapImageEncoder> makeMapImageEncoder(const MapContents& map, const Bitmap& sheet,
                                                     int cellSize, RenderFilter filter,
                                                     ImageFormat format, int pngLevel);

} // namespace tilora::cli
