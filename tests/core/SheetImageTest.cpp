#include "core/SheetImage.h"

#include "SheetImageTestSupport.h"

#include <png.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

// The tables below give only the leading fields of each fields.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tilora::test {
namespace {

constexpr Pixel Black = 0xFF000000u, White = 0xFFFFFFFFu, Red = 0xFFFF0000u, Green = 0xFF00FF00u,
                Blue = 0xFF0000FFu;

// 5 x 3: an odd width, so every row of every depth is padded.
Bitmap twoColourPicture() {
    Bitmap b(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            b.setPixel(x, y, (x + 2 * y) % 3 == 0 ? Red : Blue);
    return b;
}

void expectRefused(const Result<Bitmap>& r, const std::string& reason) {
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message.rfind("ビットマップを読み込めません：", 0), 0u)
        << r.error().message;
    EXPECT_NE(r.error().message.find(reason), std::string::npos) << r.error().message;
}

TEST(SheetImage, DecodesEveryBmpVariantToTheSamePixels) {
    const std::vector<Pixel> two{Red, Blue}, three{Green, Red, Blue};
    const std::vector<std::uint32_t> m565{0xF800, 0x07E0, 0x001F},
        m32{0x0000FF00, 0x00FF0000, 0xFF000000};
    const std::pair<const char*, BmpFields> cases[] = {
        {"1 bit", {40, 1, 0, false, two}},
        {"2 bits", {40, 2, 0, false, three}},
        {"4 bits", {40, 4, 0, false, three}},
        {"8 bits", {40, 8, 0, false, three}},
        {"16 bits 5-5-5", {40, 16}},
        {"24 bits", {40, 24}},
        {"32 bits", {40, 32}},
        {"24 bits top-down", {40, 24, 0, true}},
        {"16 bits 5-6-5 bit fields", {40, 16, 3, false, {}, m565}},
        {"32 bits bit fields", {40, 32, 3, false, {}, m32}},
        {"V4 header, masks inside", {108, 32, 3, false, {}, m32}},
        {"V5 header, top-down", {124, 8, 0, true, three}},
        {"core header, 8 bits", {12, 8, 0, false, three}},
        {"core header, 24 bits", {12, 24}},
        {"RLE8", {40, 8, 1, false, three}},
        {"RLE4", {40, 4, 2, false, three}},
        {"RLE8 without image size", {40, 8, 1, false, three, {}, 0}},
    };
    const Bitmap picture = twoColourPicture();
    for (const auto& [name, fields] : cases) {
        SCOPED_TRACE(name);
        const Result<Bitmap> decoded = decodeSheetImage(bmpBytes(picture, fields));
        ASSERT_TRUE(decoded) << decoded.error().message;
        EXPECT_EQ(*decoded, picture);
    }
}

TEST(SheetImage, PixelsARunLengthStreamSkipsShowColourZero) {
    // 4 x 2, 8 bits: a jump of one column and one row from the bottom-left, a run of two, then
    // the end of the picture.
    BmpFields fields{40, 8, 1, false, {White, Red}};
    fields.pixelsOverride = std::string("\x00\x02\x01\x01\x02\x01\x00\x01", 8);
    Bitmap expected(4, 2, White);
    expected.setPixel(1, 0, Red);
    expected.setPixel(2, 0, Red);
    const Result<Bitmap> decoded = decodeSheetImage(bmpBytes(Bitmap(4, 2), fields));
    ASSERT_TRUE(decoded) << decoded.error().message;
    EXPECT_EQ(*decoded, expected);
}

TEST(SheetImage, DecodesEveryPngColourTypeDepthAndTransparency) {
    struct Case {
        const char* name;
        PngFields fields;
        std::vector<int> samples; // one row
        std::vector<Pixel> expected;
    };
    const Pixel half = 0xFF808080u;
    const Case cases[] = {
        {"gray 1", {PNG_COLOR_TYPE_GRAY, 1}, {0, 1, 1}, {Black, White, White}},
        {"gray 2", {PNG_COLOR_TYPE_GRAY, 2}, {0, 2, 3}, {Black, 0xFFAAAAAAu, White}},
        {"gray 16", {PNG_COLOR_TYPE_GRAY, 16}, {0, 0x8080, 0xFFFF}, {Black, half, White}},
        {"gray 8 with a key", {0, 8, false, {}, {}, 7}, {7, 0x80, 255}, {Black, half, White}},
        {"gray and alpha",
         {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
         {255, 0, 255, 128, 200, 255},
         {Black, half, 0xFFC8C8C8u}},
        {"RGB 16",
         {PNG_COLOR_TYPE_RGB, 16},
         {0xFFFF, 0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF},
         {Red, Green, Blue}},
        {"RGBA 8",
         {PNG_COLOR_TYPE_RGBA, 8},
         {255, 0, 0, 255, 0, 255, 0, 0, 255, 255, 255, 128},
         {Red, Black, half}},
        {"palette 4 with tRNS",
         {PNG_COLOR_TYPE_PALETTE, 4, false, {Red, Green, Blue}, {255, 0}},
         {0, 1, 2},
         {Red, Black, Blue}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<Bitmap> decoded = decodeSheetImage(pngBytes(3, 1, {c.samples}, c.fields));
        ASSERT_TRUE(decoded) << decoded.error().message;
        ASSERT_EQ(decoded->width(), 3);
        EXPECT_EQ(std::vector<Pixel>(decoded->data(), decoded->data() + 3), c.expected);
    }
}

// Files of the same pixels, written to disk: a 24-bit BMP, an interlaced PNG, a plain PNG.
TEST(SheetImage, PngAndBmpOfTheSamePixelsLoadIdentically) {
    Bitmap picture(70, 45);
    std::mt19937 random(7);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
    const auto dir = std::filesystem::temp_directory_path();
    const std::pair<std::string, std::string> files[] = {
        {"tilora-sheet.bmp", bmpBytes(picture, {})},
        {"tilora-sheet-interlaced.png", pngOf(picture, true)},
        {"tilora-sheet.png", pngOf(picture)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        const Result<Bitmap> loaded = loadSheetImage(path);
        std::filesystem::remove(path);
        ASSERT_TRUE(loaded) << loaded.error().message;
        EXPECT_EQ(*loaded, picture);
    }
    const std::string missing = (dir / "tilora-no-such-sheet.png").string();
    const Result<Bitmap> none = loadSheetImage(missing);
    expectRefused(none, "（" + missing + "）");
}

TEST(SheetImage, RefusesBrokenForeignAndOversizeFilesWithAReason) {
    const Bitmap picture = twoColourPicture();
    const std::string good = bmpBytes(picture, {});
    const std::string png = pngOf(picture);
    std::mt19937 random(1234);
    std::string noise;
    for (int i = 0; i < 5000; ++i)
        noise.push_back(char(random() & 0xFF));
    const auto sized = [&](std::int32_t w, std::int32_t h) {
        BmpFields s;
        s.widthOverride = w;
        s.heightOverride = h;
        return bmpBytes(picture, s);
    };
    const auto pngSized = [&](std::uint32_t w, std::uint32_t h) { return withPngSize(png, w, h); };
    std::string oddHeader = good;
    oddHeader[14] = 50; // an info header size no writer uses
    std::string badIdat = png;
    badIdat[badIdat.find("IDAT") + 6] ^= 0x55; // inside the compressed data: its checksum fails
    BmpFields rleCut{40, 8, 1, false, {White, Red}};
    rleCut.sizeImage = 10;
    rleCut.pixelsOverride = std::string("\x02\x01\x02\x01\x00\x00", 6);
    // No end of picture and the top row missing, with no image size to tell.
    BmpFields rleEarly = rleCut;
    rleEarly.sizeImage = 0;
    const std::string limit = "16777215ドット以内、合わせて67108864ドットまで";

    const std::pair<std::string, std::string> cases[] = {
        {"", "ファイルが空です"},
        {good.substr(0, good.size() - 1), "ファイルが途中で切れています"},
        {good.substr(0, 54), "ファイルが途中で切れています"},
        {good.substr(0, 30), "ファイルが途中で切れています"},
        {bmpBytes(Bitmap(4, 2), rleCut), "ファイルが途中で切れています"},
        {bmpBytes(Bitmap(4, 2), rleEarly), "圧縮データが途中で終わっています"},
        {noise, "BMP形式でもPNG形式でもありません"},
        {"BM", "BMP形式でもPNG形式でもありません"},
        {sized(100000, 100000), limit},
        {sized(8193, 8192), "大きすぎます（8193×8192ドット"},
        {sized(16777216, 1), limit},
        {sized(8192, 8192), "ファイルが途中で切れています"},
        {sized(-1, 10), "大きさが正しくありません"},
        {oddHeader, "対応していないBMP形式です"},
        {bmpBytes(picture, {40, 24, 1}), "対応していないBMP形式です"},
        {png.substr(0, png.size() - 20), "ファイルが途中で切れています"},
        {png.substr(0, 8), "ファイルが途中で切れています"},
        {badIdat, "PNGデータが壊れています"},
        {pngSized(70000, 70000), limit},
        {pngSized(0, 5), "大きさが正しくありません"},
        // A few bytes of data cannot hold the picture the header declares, even at deflate's
        // best ratio: refused before anything is reserved for it.
        {pngSized(8192, 8192), "画像データが大きさ（8192×8192ドット）に対して少なすぎます"},
        {pngSized(8192, 8192).substr(0, 60), "ファイルが途中で切れています"},
    };
    for (const auto& [bytes, reason] : cases) {
        SCOPED_TRACE(reason);
        expectRefused(decodeSheetImage(bytes), reason);
    }
}

// The one sheet rule, and what the header alone tells: a picture the decoder would refuse for its
// header, or one too small to hold a chip, is refused from its first bytes.
TEST(SheetImage, HeaderCheckAppliesTheSheetRuleAndTheDecodersHeaderChecks) {
    const auto png = [](int w, int h) { return withPngSize(pngOf(Bitmap(1, 1)), w, h); };
    std::string badCrc = png(64, 64);
    badCrc[29] ^= 1;
    std::string badDepth = png(64, 64);
    badDepth[24] = 3;
    const std::pair<std::string, const char*> cases[] = {
        {png(32, 32), nullptr},
        {png(100, 70), nullptr},
        {bmpBytes(Bitmap(64, 32), {40, 2, 0, false, {Black}}), nullptr},
        {png(64, 16), "小さすぎます（64×16ドット"},
        {png(31, 640), "小さすぎます（31×640ドット"},
        {bmpBytes(Bitmap(64, 16), {}), "小さすぎます（64×16ドット"},
        {png(2147483647, 2147483647), "大きすぎます"},
        {badCrc, "PNGデータが壊れています"},
        {badDepth, "PNGデータが壊れています"},
        {bmpBytes(Bitmap(64, 64), {40, 24, 1}), "対応していないBMP形式です"},
        {"GIF89a", "BMP形式でもPNG形式でもありません"},
    };
    for (const auto& [bytes, reason] : cases) {
        SCOPED_TRACE(reason ? reason : "accepted");
        const Result<ImageSize> size = checkSheetHeader(bytes.substr(0, SheetHeaderBytes));
        if (!reason) {
            EXPECT_TRUE(size) << size.error().message;
            continue;
        }
        ASSERT_FALSE(size);
        EXPECT_NE(size.error().message.find(reason), std::string::npos) << size.error().message;
    }
}

TEST(SheetImage, ReadsTheSizeFromTheFirstBytesAlone) {
    const Bitmap picture(70, 45);
    const std::pair<const char*, std::string> cases[] = {
        {"info header", bmpBytes(picture, {}).substr(0, 26)},
        {"top-down V5 header", bmpBytes(picture, {124, 24, 0, true}).substr(0, 26)},
        {"core header", bmpBytes(picture, {12}).substr(0, 22)},
        {"PNG", pngOf(picture).substr(0, 24)},
    };
    for (const auto& [name, header] : cases) {
        SCOPED_TRACE(name);
        const Result<ImageSize> size = readSheetImageSize(header);
        ASSERT_TRUE(size) << size.error().message;
        EXPECT_EQ(*size, (ImageSize{70, 45}));
    }
    EXPECT_FALSE(readSheetImageSize(pngOf(picture).substr(0, 20)));
    EXPECT_FALSE(readSheetImageSize("GIF89a and more bytes than a header"));
}

} // namespace
} // namespace tilora::test
