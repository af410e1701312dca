#pragma once
// The chip sheet picture: one decoder for BMP and PNG files, shared by the editor and tilora-cli
// so that both read a sheet to the same pixels.

#include "Bitmap.h"
#include "MapGrid.h"
#include "Result.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace tilora {

struct ImageSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const ImageSize&, const ImageSize&) = default;
};

// Largest sheet taken, as limits on what the editor can show of it:
// - each side: the palette shows the sheet as one picture control and scrolls it; a control
//   cannot be wider or higher than 16,777,215 pixels (Qt's widget size limit), so chips beyond
//   that could never be clicked;
// - the whole: 64 Mi pixels (256 MB once decoded). The palette scrolls one chip per arrow click,
//   so even this holds 65,536 chips, far more than a map of at most 1,000,000 cells uses, and
//   every one of them has a chip number the map file can store.
inline constexpr int MaxSheetSide = (1 << 24) - 1;
inline constexpr std::int64_t MaxSheetPixels = std::int64_t(64) * 1024 * 1024;
static_assert(MaxSheetPixels / (ChipPixels * ChipPixels) <=
                  std::numeric_limits<std::int32_t>::max(),
              "every chip of a sheet at the limit has a 32-bit chip number");

// What becomes of a PNG's transparency: flattened over black (a sheet as the editor shows it), or
// kept in the pixels' alpha (a tileset whose tiles are drawn over each other).
enum class Transparency { OverBlack, Kept };

// The one rule a chip sheet follows, in the editor and in tilora-cli alike: positive sides within
// the limits above, and at least one whole chip each way. Chips are the sheet's whole 32 x 32
// squares, (width div 32) x (height div 32) of them, so a sheet narrower or lower than 32 pixels
// has none: nothing could be drawn from it or picked in the palette, and every lookup divides by
// its column count. Partial columns and rows beyond whole chips are allowed and simply unused.
Status checkChipSheetSize(std::int64_t width, std::int64_t height);

// What a sheet's first bytes tell without decoding its pixels: the header checked as the decoder
// checks it (a PNG's header chunk with its checksum and fields, a BMP's headers and a format the
// decoder reads) and the sheet rule above. The size, or the refusal loading the whole file would
// give for it. SheetHeaderBytes are always enough.
inline constexpr std::size_t SheetHeaderBytes = 256;
Result<ImageSize> checkSheetHeader(std::string_view head);

// Decodes a whole BMP or PNG file. BMP: 1, 2, 4, 8, 16, 24 and 32 bits per pixel, run-length coded
// (4 and 8 bits), bit fields, rows stored top-down or bottom-up, core and info headers; its
// alpha channel, if any, is ignored. PNG: every colour type and bit depth, palettes, tRNS and
// interlacing; transparency is flattened over black unless kept. Pixels come out opaque
// (0xFFRRGGBB) but for kept transparency. Refusals carry a message for the user
// ("ビットマップを読み込めません：...").
Result<Bitmap> decodeSheetImage(std::string_view bytes,
                                Transparency transparency = Transparency::OverBlack);

// Width and height from the first bytes of a BMP or PNG file (26 are always enough), without
// decoding the pixels or checking anything else. The sheet limits above are not applied here.
Result<ImageSize> readSheetImageSize(std::string_view header);

// A chip sheet: reads the file at path, checks its header and the sheet rule (checkSheetHeader)
// before decoding anything, then decodes it. The message names the file.
Result<Bitmap> loadSheetImage(const std::string& path);

// The same checks on the file's first bytes alone, without decoding: the size, or the refusal
// loadSheetImage gives for a file refused by its header or the sheet rule, worded the same.
Result<ImageSize> inspectSheetImage(const std::string& path);

} // namespace tilora
