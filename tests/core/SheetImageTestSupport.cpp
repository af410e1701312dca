#include "SheetImageTestSupport.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <stdexcept>

namespace tilora::test {

namespace {

void put(std::string& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(char(v >> (8 * i) & 0xFF));
}

std::uint32_t channelBits(Pixel p, std::uint32_t mask) {
    // Full-range 8-bit channels (0 or 255 here) scaled down to the mask's width.
    if (mask == 0) return 0;
    int shift = 0;
    while (!(mask >> shift & 1))
        ++shift;
    const std::uint32_t max = mask >> shift;
    return (p & 0xFF) * max / 255 << shift;
}

std::uint32_t packMasked(Pixel p, const std::vector<std::uint32_t>& m) {
    return channelBits(p >> 16, m[0]) | channelBits(p >> 8, m[1]) | channelBits(p, m[2]);
}

int indexOf(const std::vector<Pixel>& palette, Pixel p) {
    return int(std::find(palette.begin(), palette.end(), p) - palette.begin());
}

// Row r as stored (bottom-up unless top-down).
std::string encodeRow(const Bitmap& pic, int y, const BmpFields& s) {
    std::string row;
    const int w = pic.width();
    const Pixel* px = pic.row(y);
    if (s.compression == 1 || s.compression == 2) {
        // The first three pixels in absolute mode, the rest as runs of one, then end of line.
        const bool four = s.compression == 2;
        row += std::string{0, 3};
        const int a = indexOf(s.palette, px[0]), b = indexOf(s.palette, px[1]),
                  c = indexOf(s.palette, px[2]);
        if (four) {
            row += {char(a << 4 | b), char(c << 4)};
        } else {
            row += {char(a), char(b), char(c), 0};
        }
        for (int x = 3; x < w; ++x) {
            const int i = indexOf(s.palette, px[x]);
            row += {1, char(four ? i << 4 : i)};
        }
        return row + std::string{0, 0};
    }
    std::uint32_t bits = 0;
    int held = 0;
    for (int x = 0; x < w; ++x) {
        switch (s.bitsPerPixel) {
        case 1:
        case 2:
        case 4:
        case 8:
            bits = bits << s.bitsPerPixel | std::uint32_t(indexOf(s.palette, px[x]));
            held += s.bitsPerPixel;
            if (held == 8) {
                row.push_back(char(bits));
                bits = 0;
                held = 0;
            }
            break;
        case 16:
            put(row,
                packMasked(px[x], s.masks.empty() ? std::vector<std::uint32_t>{0x7C00, 0x3E0, 0x1F}
                                                  : s.masks),
                2);
            break;
        case 24:
            put(row, px[x] & 0xFFFFFF, 3);
            break;
        case 32:
            put(row, s.masks.empty() ? px[x] & 0xFFFFFF : packMasked(px[x], s.masks), 4);
            break;
        }
    }
    if (held) row.push_back(char(bits << (8 - held)));
    while (row.size() % 4)
        row.push_back(0);
    return row;
}

} // namespace

std::string bmpBytes(const Bitmap& pic, const BmpFields& s) {
    std::string pixels;
    for (int r = 0; r < pic.height(); ++r)
        pixels += encodeRow(pic, s.topDown ? r : pic.height() - 1 - r, s);
    if (s.compression == 1 || s.compression == 2) pixels += std::string{0, 1};
    if (!s.pixelsOverride.empty()) pixels = s.pixelsOverride;

    const bool core = s.headerSize == 12;
    std::string table;
    for (const Pixel c : s.palette)
        put(table, c & 0xFFFFFF, core ? 3 : 4);
    const bool masksAfter = s.compression == 3 && s.headerSize == 40;
    const std::uint32_t offBits =
        14 + s.headerSize + (masksAfter ? 12 : 0) + std::uint32_t(table.size());
    const std::int32_t w = s.widthOverride ? s.widthOverride : pic.width();
    const std::int32_t h = s.heightOverride ? s.heightOverride : pic.height();

    std::string b = "BM";
    put(b, offBits + std::uint32_t(pixels.size()), 4);
    put(b, 0, 4);
    put(b, offBits, 4);
    put(b, s.headerSize, 4);
    if (core) {
        put(b, std::uint32_t(w), 2);
        put(b, std::uint32_t(h), 2);
        put(b, 1, 2);
        put(b, std::uint32_t(s.bitsPerPixel), 2);
    } else {
        put(b, std::uint32_t(w), 4);
        put(b, std::uint32_t(s.topDown ? -h : h), 4);
        put(b, 1, 2);
        put(b, std::uint32_t(s.bitsPerPixel), 2);
        put(b, s.compression, 4);
        put(b, s.sizeImage == 0xFFFFFFFFu ? std::uint32_t(pixels.size()) : s.sizeImage, 4);
        put(b, 2835, 4);
        put(b, 2835, 4);
        put(b, std::uint32_t(s.palette.size()), 4);
        put(b, 0, 4);
        // Masks (and an alpha mask) inside the larger headers; the rest is left zero.
        std::string rest(s.headerSize - 40, '\0');
        for (std::size_t i = 0; i < s.masks.size() && s.headerSize > 40; ++i)
            for (int k = 0; k < 4; ++k)
                rest[4 * i + std::size_t(k)] = char(s.masks[i] >> (8 * k));
        b += rest;
    }
    if (masksAfter)
        for (const std::uint32_t m : s.masks)
            put(b, m, 4);
    return b + table + pixels;
}

std::string pngBytes(int width, int height, const std::vector<std::vector<int>>& rows,
                     const PngFields& fields) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::string out;
    std::vector<std::vector<png_byte>> packed;
    std::vector<png_color> plte;
    std::vector<png_bytep> pointers;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the test picture");
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), fields.bitDepth,
                 fields.colorType, fields.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    for (const Pixel c : fields.palette)
        plte.push_back({png_byte(c >> 16), png_byte(c >> 8), png_byte(c)});
    if (!plte.empty()) png_set_PLTE(png, info, plte.data(), int(plte.size()));
    if (!fields.trnsAlpha.empty())
        png_set_tRNS(png, info, fields.trnsAlpha.data(), int(fields.trnsAlpha.size()), nullptr);
    if (fields.trnsGray >= 0) {
        png_color_16 key{};
        key.gray = png_uint_16(fields.trnsGray);
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    // Samples packed big-endian at the bit depth, as the format stores them.
    for (const auto& samples : rows) {
        std::vector<png_byte> row;
        unsigned bits = 0, held = 0;
        for (const int v : samples) {
            if (fields.bitDepth == 16) {
                row.push_back(png_byte(v >> 8));
                row.push_back(png_byte(v));
                continue;
            }
            bits = bits << fields.bitDepth | unsigned(v);
            held += unsigned(fields.bitDepth);
            if (held == 8) {
                row.push_back(png_byte(bits));
                bits = held = 0;
            }
        }
        if (held) row.push_back(png_byte(bits << (8 - held)));
        packed.push_back(std::move(row));
    }
    for (auto& row : packed)
        pointers.push_back(row.data());
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string pngOf(const Bitmap& picture, bool interlaced) {
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < picture.height(); ++y) {
        std::vector<int> row;
        for (int x = 0; x < picture.width(); ++x)
            for (const int shift : {16, 8, 0})
                row.push_back(int(picture.pixel(x, y) >> shift & 0xFF));
        rows.push_back(std::move(row));
    }
    PngFields fields;
    fields.interlaced = interlaced;
    return pngBytes(picture.width(), picture.height(), rows, fields);
}

std::string withPngSize(std::string png, std::uint32_t width, std::uint32_t height) {
    const auto put32 = [&png](std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i)
            png[at + i] = char(v >> (24 - 8 * i));
    };
    put32(16, width);
    put32(20, height);
    put32(29, std::uint32_t(::crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17)));
    return png;
}

} // namespace tilora::test
