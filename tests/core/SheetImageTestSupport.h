#pragma once
// Small BMP and PNG writers for the decoder tests: every header field and every colour type is
// under the test's control.

#include "core/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tilora::test {

struct BmpFields {
    std::uint32_t headerSize = 40; // 12 (core), 40, 108 or 124
    int bitsPerPixel = 24;
    std::uint32_t compression = 0; // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    bool topDown = false;
    std::vector<Pixel> palette;            // for 1, 4 and 8 bits
    std::vector<std::uint32_t> masks;      // red, green, blue for bit fields
    std::uint32_t sizeImage = 0xFFFFFFFFu; // as written; the default means "the true size"
    std::string pixelsOverride;            // replaces the encoded pixel data when set
    std::int32_t widthOverride = 0;        // replace the picture's size in the header
    std::int32_t heightOverride = 0;
};

// The picture encoded as the fields says; paletted pictures use only palette colours.
std::string bmpBytes(const Bitmap& picture, const BmpFields& fields);

struct PngFields {
    int colorType = 2; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<Pixel> palette;          // PLTE, for colour type 3
    std::vector<std::uint8_t> trnsAlpha; // tRNS alphas for palette entries
    int trnsGray = -1;                   // tRNS gray key for colour type 0
};

// rows: one sample vector per row, samples interleaved as the colour type lays them out.
std::string pngBytes(int width, int height, const std::vector<std::vector<int>>& rows,
                     const PngFields& fields);

// An opaque picture as an 8-bit RGB PNG.
std::string pngOf(const Bitmap& picture, bool interlaced = false);

// The PNG with another size in its header (and the header's checksum made to match).
std::string withPngSize(std::string png, std::uint32_t width, std::uint32_t height);

} // namespace tilora::test
