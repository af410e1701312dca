#pragma once
// The whole map as one picture: every cell drawn by the editor's cell drawing rule (the same
// ChipRenderer the map view uses), encoded as BMP or PNG.

#include "core/Bitmap.h"
#include "core/ChipRenderer.h"
#include "core/MapFile.h"
#include "core/Result.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tilora::cli {

// Largest picture rendered: 256 megapixels, 1 GiB at 32 bits per pixel. Anything larger is
// refused before a byte is allocated.
inline constexpr std::int64_t MaxImagePixels = std::int64_t(1) << 28;
inline constexpr int DefaultRenderCellSize = 32;

enum class ImageFormat { Bmp, Png };

// The format a file name asks for by its suffix (".bmp", ".png", letter case ignored).
std::optional<ImageFormat> imageFormatFor(std::string_view path);

// One of the map view's cell sizes: 1, 2, 4, 8, 16, 32, 64.
bool isCellSize(int cellSize);

// Refuses a picture of more than MaxImagePixels, saying how large it would be.
Status checkImageSize(const MapContents& map, int cellSize);

// A 24-bit bottom-up BMP of the map, handed out piece by piece: the header, then one map row of
// cells (cellSize pixel rows) at a time from the bottom, so the file never has to be held whole.
// The map and the sheet are borrowed; the size must have passed checkImageSize.
class MapBmpEncoder {
  public:
    MapBmpEncoder(const MapContents& map, const Bitmap& sheet, int cellSize);
    std::uint64_t fileSize() const;
    // The next piece; valid until the following call. Empty when the file is complete.
    std::string_view next();

  private:
    const MapContents& map_;
    int cellSize_;
    int sheetColumns_;
    std::size_t stride_; // bytes per pixel row, padded to 4
    ChipRenderer renderer_;
    Bitmap strip_;
    std::vector<char> piece_;
    int nextMapRow_; // counts down; -1 after the last row
    bool headerDone_ = false;
};

// The map drawn and encoded whole, as BMP or PNG. Checks the size first.
Result<QByteArray> renderMapImage(const MapContents& map, const Bitmap& sheet, int cellSize,
                                  ImageFormat format);

} // namespace tilora::cli
