// BMP half of the sheet decoder. Written here because the file format has many variants in use
// (core and info headers, run-length coding, bit fields, rows either way up) and each is small.

#include "SheetImageParts.h"
#include "Texts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace tilora::sheet_image {

namespace {

// Compression codes of the info header.
constexpr std::uint32_t CompressionNone = 0;
constexpr std::uint32_t CompressionRle8 = 1;
constexpr std::uint32_t CompressionRle4 = 2;
constexpr std::uint32_t CompressionBitfields = 3;

constexpr std::size_t FileHeaderSize = 14;
// Header layouts taken: the 12-byte core header, the 40-byte info header, the 52- and 56-byte
// ones that carry the colour masks inside, OS/2's 64-byte one and the 108/124-byte V4/V5.
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t Os2HeaderSize = 64;
constexpr std::uint32_t InfoHeaderSizes[] = {40, 52, 56, 64, 108, 124};
// The colour masks follow the 40-byte part of the info header, inside the larger headers.
constexpr std::size_t MasksAt = FileHeaderSize + InfoHeaderSize;
constexpr std::size_t MaskBytes = 12;

constexpr const char* NotBmp = I18N_NOOP("neither a BMP nor a PNG image");
constexpr const char* RleCut = I18N_NOOP("the compressed data ends early");

std::uint32_t u16(std::string_view b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}
std::uint32_t u32(std::string_view b, std::size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

struct BmpHeader {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    bool core = false;
    std::uint32_t infoSize = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = CompressionNone;
    std::uint32_t sizeImage = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t offBits = 0;
};

// The file and info headers; with sizesOnly, the header may end after the picture's size.
Result<BmpHeader> readHeader(std::string_view b, bool sizesOnly = false) {
    if (b.size() < FileHeaderSize + 4 || b[0] != 'B' || b[1] != 'M') return refusal(NotBmp);
    BmpHeader h;
    h.offBits = u32(b, 10);
    h.infoSize = u32(b, 14);
    h.core = h.infoSize == CoreHeaderSize;
    if (!h.core && std::find(std::begin(InfoHeaderSizes), std::end(InfoHeaderSizes), h.infoSize) ==
                       std::end(InfoHeaderSizes)) {
        return refusal(Unsupported);
    }
    const std::size_t needed =
        sizesOnly ? FileHeaderSize + (h.core ? 8 : 12) : FileHeaderSize + h.infoSize;
    if (b.size() < needed) return refusal(Truncated);
    if (h.core) {
        h.width = u16(b, 18);
        h.height = u16(b, 20);
        if (!sizesOnly) h.bitsPerPixel = int(u16(b, 24));
    } else if (sizesOnly) {
        h.width = std::int32_t(u32(b, 18));
        h.height = std::int32_t(u32(b, 22));
    } else {
        h.width = std::int32_t(u32(b, 18));
        h.height = std::int32_t(u32(b, 22));
        h.bitsPerPixel = int(u16(b, 28));
        h.compression = u32(b, 30);
        h.sizeImage = u32(b, 34);
        h.colorsUsed = u32(b, 46);
    }
    h.topDown = h.height < 0;
    h.height = h.topDown ? -h.height : h.height;
    if (h.width <= 0 || h.height <= 0) return refusal(BadSize);
    return h;
}

bool supported(const BmpHeader& h) {
    switch (h.compression) {
    case CompressionNone:
        // 1, 2, 4, 8, 16, 24 and 32 bits. Two bits per pixel is not in Microsoft's BMP
        // documentation, but Windows CE writes it and it reads exactly as 1 and 4 bits do (a
        // colour table, pixels packed from the high bits): kept, as other viewers keep it.
        return std::has_single_bit(unsigned(h.bitsPerPixel)) ? h.bitsPerPixel <= 32
                                                             : h.bitsPerPixel == 24;
    case CompressionRle8:
        return h.bitsPerPixel == 8;
    case CompressionRle4:
        return h.bitsPerPixel == 4;
    case CompressionBitfields:
        // OS/2's header uses code 3 for its own Huffman coding.
        return (h.bitsPerPixel == 16 || h.bitsPerPixel == 32) && h.infoSize != Os2HeaderSize;
    default:
        return false;
    }
}

// One colour channel given by a bit mask, widened to 8 bits (a 5-bit 31 becomes 255).
struct Channel {
    int shift = 0;
    int bits = 0;
    std::uint32_t mask = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::bit_width(m >> shift);
    }
    std::uint32_t operator()(std::uint32_t value) const {
        if (bits == 0) return 0;
        const std::uint32_t v = (value & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        return (v * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1);
    }
};

using Palette = std::array<Pixel, 256>;

// Walks a run-length stream, calling put(x, row, index) for each pixel inside the picture (row 0
// is the first row stored). True when the stream reaches its end-of-bitmap or its last row.
template <class Put>
bool walkRle(std::string_view data, bool fourBits, std::int64_t width, std::int64_t height,
             Put put) {
    std::size_t i = 0;
    std::int64_t x = 0;
    std::int64_t row = 0;
    const auto index = [fourBits](std::uint8_t byte, std::int64_t k) {
        return fourBits ? (k % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
    };
    while (row < height) {
        if (data.size() - i < 2) break;
        const std::uint8_t n = std::uint8_t(data[i]);
        const std::uint8_t v = std::uint8_t(data[i + 1]);
        i += 2;
        if (n > 0) { // a run of n pixels
            const std::int64_t end = std::min<std::int64_t>(x + n, width);
            for (std::int64_t k = 0; x + k < end; ++k)
                put(x + k, row, index(v, k));
            x += n;
        } else if (v == 0) { // end of line
            x = 0;
            ++row;
        } else if (v == 1) { // end of bitmap
            return true;
        } else if (v == 2) { // jump right and up
            if (data.size() - i < 2) break;
            x += std::uint8_t(data[i]);
            row += std::uint8_t(data[i + 1]);
            i += 2;
        } else { // v pixels stored as they are, padded to a 16-bit boundary
            const std::size_t bytes = fourBits ? (v + 1u) / 2 : v;
            if (data.size() - i < bytes) break;
            for (std::int64_t k = 0; k < v; ++k) {
                const auto byte = std::uint8_t(data[i + std::size_t(fourBits ? k / 2 : k)]);
                if (x + k < width) put(x + k, row, index(byte, k));
            }
            x += v;
            i = std::min(data.size(), i + (bytes + 1) / 2 * 2);
        }
    }
    return row >= height || (row == height - 1 && x >= width);
}

// Reads uncompressed rows (stride bytes each, padded to 4) into the bitmap.
void readRows(const BmpHeader& h, std::string_view pixels, const Palette& palette,
              const std::array<std::uint32_t, 3>& masks, Bitmap& out) {
    const std::size_t stride = std::size_t((h.width * h.bitsPerPixel + 31) / 32 * 4);
    const int w = int(h.width);
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int r = 0; r < int(h.height); ++r) {
        const auto* src = reinterpret_cast<const std::uint8_t*>(pixels.data()) + stride * r;
        Pixel* dst = out.row(h.topDown ? r : int(h.height) - 1 - r);
        switch (h.bitsPerPixel) {
        case 1:
        case 2:
        case 4:
        case 8: {
            const int bpp = h.bitsPerPixel;
            const int perByte = 8 / bpp;
            const unsigned lowMask = (1u << bpp) - 1;
            for (int x = 0; x < w; ++x) {
                const int shift = 8 - bpp * (x % perByte + 1);
                dst[x] = palette[(src[x / perByte] >> shift) & lowMask];
            }
            break;
        }
        case 24:
            for (int x = 0; x < w; ++x, src += 3)
                dst[x] = 0xFF000000u | Pixel(src[2]) << 16 | Pixel(src[1]) << 8 | src[0];
            break;
        case 16:
        case 32: {
            const bool wide = h.bitsPerPixel == 32;
            if (wide && h.compression == CompressionNone) {
                for (int x = 0; x < w; ++x, src += 4)
                    dst[x] = 0xFF000000u | Pixel(src[2]) << 16 | Pixel(src[1]) << 8 | src[0];
                break;
            }
            for (int x = 0; x < w; ++x) {
                const std::uint32_t v =
                    wide ? std::uint32_t(src[4 * x]) | std::uint32_t(src[4 * x + 1]) << 8 |
                               std::uint32_t(src[4 * x + 2]) << 16 |
                               std::uint32_t(src[4 * x + 3]) << 24
                         : std::uint32_t(src[2 * x]) | std::uint32_t(src[2 * x + 1]) << 8;
                dst[x] = 0xFF000000u | red(v) << 16 | green(v) << 8 | blue(v);
            }
            break;
        }
        }
    }
}

} // namespace

bool isBmp(std::string_view bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

Result<ImageSize> bmpSize(std::string_view header) {
    Result<BmpHeader> h = readHeader(header, true);
    if (!h) return h.error();
    // A top-down height of -2^31 has no positive int.
    if (h->height > std::numeric_limits<int>::max()) return refusal(BadSize);
    return ImageSize{int(h->width), int(h->height)};
}

Result<ImageSize> bmpHeaderSize(std::string_view head) {
    Result<BmpHeader> h = readHeader(head);
    if (!h) return h.error();
    if (Status size = checkSheetSize(h->width, h->height); !size) return size.error();
    if (!supported(*h)) return refusal(Unsupported);
    return ImageSize{int(h->width), int(h->height)};
}

Result<Bitmap> decodeBmp(std::string_view b) {
    Result<BmpHeader> header = readHeader(b);
    if (!header) return header.error();
    const BmpHeader& h = *header;
    if (Status size = checkSheetSize(h.width, h.height); !size) return size.error();
    if (!supported(h)) return refusal(Unsupported);

    // Colour masks: given after the 40-byte info header (inside the larger ones) for bit
    // fields; otherwise 5-5-5 for 16 bits and 8-8-8 for 32.
    std::array<std::uint32_t, 3> masks{0x7C00u, 0x03E0u, 0x001Fu};
    std::size_t masksAfterHeader = 0;
    if (h.compression == CompressionBitfields) {
        if (b.size() < MasksAt + MaskBytes) return refusal(Truncated);
        masks = {u32(b, MasksAt), u32(b, MasksAt + 4), u32(b, MasksAt + 8)};
        if (h.infoSize == InfoHeaderSize) masksAfterHeader = MaskBytes;
    }

    // The colour table follows the headers; pixel data starts at the offset the file header
    // gives, but never inside the table or the masks (a zero offset means "right after them").
    const std::size_t tableAt = FileHeaderSize + h.infoSize + masksAfterHeader;
    const std::size_t entryBytes = h.core ? 3 : 4;
    std::uint64_t entries = 0;
    if (h.bitsPerPixel <= 8) {
        entries = h.colorsUsed != 0 ? h.colorsUsed : std::uint64_t(1) << h.bitsPerPixel;
        // A writer may keep the table short (a core header cannot say how long it is); the
        // offset of the pixels then says where it ends.
        if (h.offBits > tableAt && h.offBits < tableAt + entries * entryBytes) {
            entries = (h.offBits - tableAt) / entryBytes;
        }
    }
    const std::uint64_t pixelsAt =
        std::max<std::uint64_t>(h.offBits, tableAt + entries * entryBytes);
    const std::uint64_t stride = std::uint64_t((h.width * h.bitsPerPixel + 31) / 32 * 4);
    const bool rle = h.compression == CompressionRle8 || h.compression == CompressionRle4;
    // Uncompressed rows are read whole, the last row's padding included.
    const std::uint64_t pixelBytes = rle ? h.sizeImage : stride * std::uint64_t(h.height);
    if (pixelsAt > b.size() || pixelBytes > b.size() - pixelsAt) return refusal(Truncated);

    Palette palette;
    palette.fill(0xFF000000u);
    for (std::size_t e = 0; e < std::min<std::uint64_t>(entries, palette.size()); ++e) {
        const std::size_t at = tableAt + e * entryBytes;
        palette[e] = 0xFF000000u | u16(b, at + 1) << 8 | std::uint8_t(b[at]);
    }

    const std::string_view pixels =
        b.substr(std::size_t(pixelsAt),
                 rle && h.sizeImage == 0 ? std::string_view::npos : std::size_t(pixelBytes));
    const bool fourBits = h.compression == CompressionRle4;
    // A stream must reach its end before anything is allocated for it, so a few bytes that
    // announce a large picture and then stop cost nothing.
    if (rle && !walkRle(pixels, fourBits, h.width, h.height, [](auto, auto, auto) {})) {
        return refusal(RleCut);
    }
    // Pixels a run-length stream skips show colour 0.
    Result<Bitmap> out = allocateSheet(int(h.width), int(h.height));
    if (!out) return out;
    if (rle) {
        Bitmap& bitmap = *out;
        bitmap.fill(palette[0]);
        walkRle(pixels, fourBits, h.width, h.height,
                [&](std::int64_t x, std::int64_t row, unsigned index) {
                    const int y = int(h.topDown ? row : h.height - 1 - row);
                    bitmap.row(y)[x] = palette[index];
                });
        return out;
    }
    readRows(h, pixels, palette, masks, *out);
    return out;
}

} // namespace tilora::sheet_image
