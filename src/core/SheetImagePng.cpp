// PNG half of the sheet decoder, through libpng: every colour type and bit depth is turned into
// 8-bit blue, green, red, alpha, which is the byte order of a Pixel in memory; transparency is
// then flattened over black unless the caller keeps it. No gamma correction: the pixels are the
// file's own values, as a BMP's are.

#include "SheetImageParts.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace tilora::sheet_image {

namespace {

constexpr unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t SizesEnd = 24; // signature, IHDR length and type, width, height
constexpr std::string_view Broken = "PNGデータが壊れています";

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

} // namespace

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
    // The size from the header first, so the sheet limits hold before libpng allocates anything.
    if (Result<ImageSize> size = pngSize(bytes); !size) {
        return size.error();
    } else if (Status fits = checkSheetSize(size->width, size->height); !fits) {
        return fits.error();
    }
    Reader reader;
    if (!reader.info) return refusal("メモリが足りません");
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
