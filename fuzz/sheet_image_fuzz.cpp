// Feeds arbitrary bytes to the chip sheet decoder. Whatever it accepts must be an opaque picture
// within the sheet limits whose size the header alone reads the same; whatever it refuses must
// say so in the loader's words.

#include "core/SheetImage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

using namespace tilora;

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "sheet_image_fuzz: %s\n", what);
        std::abort();
    }
}

// Pictures larger than this are decoded only up to their header: the limits themselves are
// tested elsewhere, and allocating hundreds of megabytes per input would stall the search.
constexpr std::int64_t FuzzPixels = 4 << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto header = readSheetImageSize(bytes);
    if (header && std::int64_t(header->width) * header->height > FuzzPixels) return 0;

    const auto decoded = decodeSheetImage(bytes);
    if (!decoded) {
        require(decoded.error().message.rfind("ビットマップを読み込めません：", 0) == 0,
                "a refusal without the loader's message");
        return 0;
    }
    const Bitmap& b = *decoded;
    require(b.width() > 0 && b.height() > 0, "an empty picture accepted");
    require(b.width() <= MaxSheetSide && b.height() <= MaxSheetSide, "a side over the limit");
    require(std::int64_t(b.width()) * b.height() <= MaxSheetPixels, "more pixels than the limit");
    require(header.ok(), "decoded a picture whose header size cannot be read");
    require(header->width == b.width() && header->height == b.height(),
            "the header's size differs from the decoded one");
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            require(b.pixel(x, y) >> 24 == 0xFF, "a pixel that is not opaque");
    return 0;
}
