// PNG half of the sheet decoder, through libpng: every colour type and bit depth is turned into
// 8-bit blue, green, red, alpha, which is the byte order of a Pixel in memory; transparency is
// then flattened over black unless the caller keeps it. No gamma correction: the pixels are the
// file's own values, as a BMP's are.

#include "SheetImageParts.h"
#include "Texts.h"

#include <png.h>
#include <zlib.h>

#include <array>
#include <csetjmp>
#include <cstring>

namespace tilora::sheet_image {

namespace {

constexpr unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t SizesEnd = 24; // signature, IHDR length and type, width, height
constexpr const char* Broken = I18N_NOOP("the PNG data is damaged");

struct Source {
    std::string_view bytes;
    std::size_t at = 0;
    bool cut = false; // libpng asked for more than the file holds
};

void readFromMemory(png_structp png, png_bytep out, png_size_t n) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (source->bytes.size() - source->at < n) {
        source->cut = true;
        png_error(png, "cut");
    }
    std::memcpy(out, source->bytes.data() + source->at, n);
    source->at += n;
}

// libpng reports through these; the reason is worked out from the source instead.
void onError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Reader() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~Reader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// The two steps below run under libpng's error jump, so they hold nothing that needs destroying:
// a longjmp out of libpng lands in them and they return false.

bool readInfo(Reader& r, Source& source, png_uint_32& width, png_uint_32& height, int& passes) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_read_fn(r.png, &source, readFromMemory);
    // The sheet limits are checked by the caller, with their own message.
    png_set_user_limits(r.png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(r.png, r.info);
    png_set_expand(r.png); // palette to RGB, low bit depths to 8, tRNS to alpha
    png_set_scale_16(r.png);
    png_set_gray_to_rgb(r.png);
    png_set_bgr(r.png);
    png_set_add_alpha(r.png, 0xFF, PNG_FILLER_AFTER);
    passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    width = png_get_image_width(r.png, r.info);
    height = png_get_image_height(r.png, r.info);
    return png_get_rowbytes(r.png, r.info) == std::size_t(width) * sizeof(Pixel);
}

// Interlaced pictures come in passes, each combined into the rows read so far.
bool readPixels(Reader& r, int passes, Bitmap& out) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < out.height(); ++y)
            png_read_row(r.png, reinterpret_cast<png_bytep>(out.row(y)), nullptr);
    }
    png_read_end(r.png, nullptr);
    return true;
}

void flattenOverBlack(Bitmap& bitmap) {
    Pixel* p = bitmap.data();
    Pixel* const end = p + std::size_t(bitmap.width()) * std::size_t(bitmap.height());
    for (; p != end; ++p) {
        const Pixel a = *p >> 24;
        if (a == 0xFF) continue;
        const auto scale = [a](Pixel c) { return (c * a + 127) / 255; };
        *p = 0xFF000000u | scale(*p >> 16 & 0xFF) << 16 | scale(*p >> 8 & 0xFF) << 8 |
             scale(*p & 0xFF);
    }
}

std::uint32_t u32be(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = v << 8 | std::uint8_t(b[at + i]);
    return v;
}

// The header chunk's fields, as the format allows them.
struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;
    int colorType = 0;
    bool interlaced = false;
};

constexpr std::size_t HeaderEnd = 33; // signature, IHDR chunk of 13 bytes with its checksum

// Samples per pixel of each colour type, or 0 for a type the format does not have, and whether
// a bit depth is one that type allows.
int channels(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 0;
    }
}

bool depthAllowed(int colorType, int depth) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case PNG_COLOR_TYPE_PALETTE:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default:
        return channels(colorType) != 0 && (depth == 8 || depth == 16);
    }
}

// The header chunk, checked as libpng checks it when it reads the file: its length, name and
// checksum, a size the format allows, and known values in every field.
Result<Header> readHeader(std::string_view b) {
    if (b.size() < HeaderEnd) return refusal(Truncated);
    if (u32be(b, 8) != 13 || b.substr(12, 4) != "IHDR") return refusal(Broken);
    const auto* chunk = reinterpret_cast<const Bytef*>(b.data() + 12);
    if (::crc32(::crc32(0, nullptr, 0), chunk, 17) != u32be(b, 29)) return refusal(Broken);
    Header h;
    h.width = u32be(b, 16);
    h.height = u32be(b, 20);
    h.bitDepth = std::uint8_t(b[24]);
    h.colorType = std::uint8_t(b[25]);
    const int interlace = std::uint8_t(b[28]);
    // The format allows at most 2^31 - 1 each way.
    if (h.width == 0 || h.height == 0 || h.width > 0x7FFFFFFFu || h.height > 0x7FFFFFFFu)
        return refusal(BadSize);
    if (!depthAllowed(h.colorType, h.bitDepth) || b[26] != 0 || b[27] != 0 || interlace > 1)
        return refusal(Broken);
    h.interlaced = interlace == 1;
    return h;
}

// The bytes of filtered picture data the header asks for: per row (of each interlace pass) one
// filter byte and the row's samples.
std::uint64_t filteredBytes(const Header& h) {
    const std::uint64_t bits = std::uint64_t(channels(h.colorType)) * h.bitDepth;
    const auto pass = [&](std::uint64_t w, std::uint64_t rows) {
        return w == 0 || rows == 0 ? 0 : rows * (1 + (w * bits + 7) / 8);
    };
    if (!h.interlaced) return pass(h.width, h.height);
    // Adam7: each pass starts at (x0, y0) and steps (dx, dy).
    constexpr std::array<std::array<int, 4>, 7> Passes = {{{0, 0, 8, 8},
                                                           {4, 0, 8, 8},
                                                           {0, 4, 4, 8},
                                                           {2, 0, 4, 4},
                                                           {0, 2, 2, 4},
                                                           {1, 0, 2, 2},
                                                           {0, 1, 1, 2}}};
    std::uint64_t total = 0;
    for (const auto& [x0, y0, dx, dy] : Passes) {
        const auto count = [](std::uint64_t size, int start, int step) {
            return size > std::uint64_t(start) ? (size - start + step - 1) / step : 0;
        };
        total += pass(count(h.width, x0, dx), count(h.height, y0, dy));
    }
    return total;
}

// Deflate's best case is a 258-byte match in two bits, 1032 bytes out of each byte in. Picture
// data that could not come out of the file's compressed data even at that ratio is refused
// before anything is reserved for it, so a small file cannot make the decoder allocate the
// large picture it declares.
constexpr std::uint64_t DeflateMaxRatio = 1032;

Status checkDataSize(std::string_view b, const Header& h) {
    std::uint64_t compressed = 0;
    bool ended = false;
    for (std::size_t at = 8; b.size() - at >= 8;) {
        const std::uint64_t length = u32be(b, at);
        const std::string_view name = b.substr(at + 4, 4);
        const std::uint64_t present = std::min<std::uint64_t>(length, b.size() - at - 8);
        if (name == "IDAT") compressed += present;
        if (name == "IEND") {
            ended = true;
            break;
        }
        if (length + 12 > b.size() - at) break;
        at += std::size_t(length) + 12;
    }
    if (filteredBytes(h) <= compressed * DeflateMaxRatio) return Ok{};
    if (!ended) return refusal(Truncated);
    return refusal(
        i18n("too little image data for its size (%1 × %2 pixels)", {h.width, h.height}));
}

} // namespace

Result<ImageSize> pngHeaderSize(std::string_view head) {
    Result<Header> h = readHeader(head);
    if (!h) return h.error();
    return ImageSize{int(h->width), int(h->height)};
}

bool isPng(std::string_view bytes) {
    return bytes.size() >= sizeof Signature &&
           std::memcmp(bytes.data(), Signature, sizeof Signature) == 0;
}

Result<ImageSize> pngSize(std::string_view header) {
    if (header.size() < SizesEnd) return refusal(Truncated);
    if (header.substr(12, 4) != "IHDR") return refusal(Broken);
    const std::uint32_t width = u32be(header, 16);
    const std::uint32_t height = u32be(header, 20);
    // The format allows at most 2^31 - 1 each way.
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return refusal(BadSize);
    return ImageSize{int(width), int(height)};
}

Result<Bitmap> decodePng(std::string_view bytes, Transparency transparency) {
    // The header first, so the sheet limits and the amount of data hold before libpng allocates
    // anything.
    Result<Header> header = readHeader(bytes);
    if (!header) return header.error();
    if (Status fits = checkSheetSize(header->width, header->height); !fits) return fits.error();
    if (Status enough = checkDataSize(bytes, *header); !enough) return enough.error();
    Reader reader;
    if (!reader.info) return refusal(I18N_NOOP("not enough memory"));
    Source source{bytes};
    png_uint_32 width = 0, height = 0;
    int passes = 1;
    if (!readInfo(reader, source, width, height, passes))
        return refusal(source.cut ? Truncated : Broken);
    if (Status fits = checkSheetSize(width, height); !fits) return fits.error();

    Result<Bitmap> out = allocateSheet(int(width), int(height));
    if (!out) return out;
    if (!readPixels(reader, passes, *out)) return refusal(source.cut ? Truncated : Broken);
    if (transparency == Transparency::OverBlack) flattenOverBlack(*out);
    return out;
}

} // namespace tilora::sheet_image
