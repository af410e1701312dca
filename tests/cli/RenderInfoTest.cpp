// tilora-cli info and render, and the command line's refusals.

#include "CliTestSupport.h"
#include "cli/MapImage.h"
#include "core/ChipRenderer.h"
#include "platform/BmpLoader.h"

#include <QBuffer>
#include <QImage>

#include <zlib.h>

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <limits>
#include <tuple>

namespace tilora::cli::test {
namespace {

constexpr std::int32_t IntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t IntMax = std::numeric_limits<std::int32_t>::max();

// 80 x 96: two whole columns (and a strip too narrow for a third), three rows, chips 0..5.
constexpr int SheetW = 80;
constexpr int SheetH = 96;
const std::vector<std::int32_t> Chips = {0, 1, 2, 3, 4, 5, -1, 6, 7, 1000, IntMin, IntMax, 3};

class RenderTest : public ::testing::TestWithParam<std::tuple<int, const char*>> {};

TEST_P(RenderTest, ImageMatchesTheCellDrawingRulePixelForPixel) {
    const auto [cellSize, suffix] = GetParam();
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(SheetW, SheetH));
    const MapContents map = makeMap("sheet.bmp", 5, 4, Chips);
    s.writeMap("m.map", map);
    const std::string out = std::string("out.") + suffix;

    const auto r = runCli({"render", s.path("m.map"), s.path(out), "--cell-size",
                           std::to_string(cellSize), "--filter", "and"});
    ASSERT_EQ(r.status, 0) << r.err;

    // The sheet as the editor sees it after loading, drawn cell by cell by the map view's rule.
    auto sheet = loadBmp(QString::fromStdString(s.path("sheet.bmp")));
    ASSERT_TRUE(sheet.ok());
    ChipRenderer renderer;
    renderer.setSheet(&*sheet);
    Bitmap expected(map.width * cellSize, map.height * cellSize);
    for (int row = 0; row < map.height; ++row)
        for (int col = 0; col < map.width; ++col)
            renderer.drawChip(expected, col * cellSize, row * cellSize, cellSize,
                              SheetW / ChipPixels, map.at(row, col));

    const QImage image(QString::fromStdString(s.path(out)));
    ASSERT_FALSE(image.isNull());
    const Bitmap got = bitmapFromImage(image);
    ASSERT_EQ(got.width(), expected.width());
    ASSERT_EQ(got.height(), expected.height());
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            ASSERT_EQ(got.pixel(x, y) & 0xFFFFFFu, expected.pixel(x, y) & 0xFFFFFFu)
                << "pixel (" << x << ", " << y << ") at cell size " << cellSize;
}

INSTANTIATE_TEST_SUITE_P(EveryCellSize, RenderTest,
                         ::testing::Combine(::testing::Values(1, 2, 4, 8, 16, 32, 64),
                                            ::testing::Values("bmp", "png")));

TEST(Render, DefaultCellSizeIs32AndBmpIs24Bit) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    s.writeMap("m.map", makeMap("sheet.bmp", 3, 2, {0, 1, 2, 3}));
    ASSERT_EQ(runCli({"render", s.path("m.map"), s.path("o.BMP")}).status, 0);
    const std::string bmp = s.read("o.BMP");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(std::uint8_t(bmp[28]), 24); // bits per pixel
    // 96 pixels x 3 bytes = 288, already a multiple of 4; 64 rows.
    EXPECT_EQ(bmp.size(), 54u + 288u * 64u);
    const QImage image(QString::fromStdString(s.path("o.BMP")));
    EXPECT_EQ(image.size(), QSize(96, 64));
}

TEST(Render, OversizeImageIsRefusedBeforeAnythingIsWritten) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    // 1000 x 1000 cells at 32 pixels: 1024 megapixels, over the 256 megapixel limit.
    s.writeMap("big.map", makeMap("sheet.bmp", 1000, 1000, {0}));
    const auto r = runCli({"render", s.path("big.map"), s.path("big.png"), "--cell-size", "32"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(oneLineContaining(r.err, "画像が大きすぎます")) << r.err;
    EXPECT_NE(r.err.find("32000 x 32000"), std::string::npos) << r.err;
    EXPECT_FALSE(s.exists("big.png"));
}

TEST(Render, SizeLimitIsInclusive) {
    MapContents map;
    map.width = 1000;
    map.height = 1000;
    EXPECT_TRUE(
        checkImageSize(map, 16, ImageFormat::Png).ok()); // 16000 x 16000 = 256 megapixels exactly
    EXPECT_FALSE(checkImageSize(map, 32, ImageFormat::Png).ok());
    map.width = 256;
    map.height = 256;
    EXPECT_TRUE(checkImageSize(map, 64, ImageFormat::Png).ok());
    map.height = 257;
    EXPECT_FALSE(checkImageSize(map, 64, ImageFormat::Png).ok());
}

struct Failure {
    const char* name;
    std::string sheetName; // sheet file written ("" for none)
    int sheetSide;         // its width and height
    std::string mapText;   // the map file's bytes ("" for no map file)
    const char* message;   // part of the expected one-line message
};

// Test names and failure messages show the case by its name.
void PrintTo(const Failure& c, std::ostream* os) {
    *os << c.name;
}

class RenderFailureTest : public ::testing::TestWithParam<Failure> {};

TEST_P(RenderFailureTest, FailsWithOneLineAndWritesNothing) {
    const Failure& f = GetParam();
    Scratch s;
    if (!f.sheetName.empty()) s.writeSheet(f.sheetName, patternSheet(f.sheetSide, f.sheetSide));
    if (!f.mapText.empty()) s.write("m.map", f.mapText);
    s.write("keep.bmp", "previous");
    for (const char* command : {"render", "export"}) {
        const std::string out = std::string(command) == "render" ? "keep.bmp" : "keep.tmx";
        if (!s.exists(out)) s.write(out, "previous");
        const auto r = runCli({command, s.path("m.map"), s.path(out)});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_TRUE(oneLineContaining(r.err, f.message)) << command << ": " << r.err;
        EXPECT_EQ(s.read(out), "previous") << command;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderFailureTest,
    ::testing::Values(
        Failure{"MissingMap", "sheet.bmp", 64, "", "m.map"},
        Failure{"MalformedMap", "sheet.bmp", 64, "sheet.bmp,\r\n2,\r\n1,\r\n0,x,\r\n",
                "マップデータを読み込めません"},
        Failure{"SheetNotFound", "", 64, "nowhere.bmp,\r\n1,\r\n1,\r\n0,\r\n",
                "チップ画像が見つかりません"},
        Failure{"SheetSmallerThanOneChip", "sheet.bmp", 16, "sheet.bmp,\r\n1,\r\n1,\r\n0,\r\n",
                "ビットマップを読み込めません：小さすぎます（16×16ドット"},
        Failure{"LongSheetPathShownShortened", "", 0,
                std::string(4000, 'x') + ".bmp,\r\n1,\r\n1,\r\n0,\r\n",
                "チップ画像が見つかりません：xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx…xxxxx"},
        Failure{"SheetNotABitmap", "", 0, "m.map,\r\n1,\r\n1,\r\n0,\r\n", "ビットマップ"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Info, ReportsSizesChipRangeAndCellsTheSheetLacks) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(SheetW, SheetH));
    // Cells off the sheet: -1, 6, 7, 1000, IntMin, IntMax (6 chips: 0..5).
    s.writeMap("m.map", makeMap("sheet.bmp", 13, 2, Chips));
    const auto r = runCli({"info", s.path("m.map")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "sheet: sheet.bmp\n"
                     "sheet-found: " +
                         s.path("sheet.bmp") +
                         "\n"
                         "sheet-size: 80x96 (6 chips)\n"
                         "width: 13\n"
                         "height: 2\n"
                         "lowest-chip: -2147483648\n"
                         "highest-chip: 2147483647\n"
                         "cells-below-zero: 4\n"
                         "cells-off-sheet: 12\n");
}

TEST(Info, SheetNotFoundIsReportedAndTheRestStillPrinted) {
    Scratch s;
    s.writeMap("m.map", makeMap("C:\\tiles\\gone.bmp", 3, 1, {-1, 4, 9}));
    const auto r = runCli({"info", s.path("m.map")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(oneLineContaining(r.err, "チップ画像が見つかりません")) << r.err;
    EXPECT_NE(r.out.find("sheet: C:\\tiles\\gone.bmp\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("sheet-found: -\n"), std::string::npos);
    EXPECT_NE(r.out.find("lowest-chip: -1\nhighest-chip: 9\ncells-below-zero: 1\n"
                         "cells-off-sheet: -\n"),
              std::string::npos)
        << r.out;
}

// The one sheet rule in both commands: what render refuses, info reports with the same words and
// no size. The sheets: a strip lower than a chip, a PNG declaring the largest size the format
// allows, a PNG whose header checksum is wrong.
TEST(Info, SheetsRenderRefusesAreReportedWithRendersReason) {
    Scratch s;
    s.writeSheet("strip.bmp", patternSheet(64, 16));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(imageFromBitmap(patternSheet(64, 64)).save(&buffer, "PNG"));
    const auto sized = [&](std::uint32_t side) {
        std::string b = png.toStdString();
        for (std::size_t i = 0; i < 4; ++i)
            b[16 + i] = b[20 + i] = char(side >> (24 - 8 * i));
        const auto crc = std::uint32_t(::crc32(0, reinterpret_cast<const Bytef*>(&b[12]), 17));
        for (std::size_t i = 0; i < 4; ++i)
            b[29 + i] = char(crc >> (24 - 8 * i));
        return b;
    };
    s.write("huge.png", sized(2147483647));
    std::string badCrc = sized(64);
    badCrc[32] ^= 1;
    s.write("crc.png", badCrc);
    const std::pair<const char*, const char*> cases[] = {
        {"strip.bmp", "小さすぎます（64×16ドット"},
        {"huge.png", "大きすぎます（2147483647×2147483647ドット"},
        {"crc.png", "PNGデータが壊れています"},
    };
    for (const auto& [sheet, reason] : cases) {
        s.writeMap("m.map", makeMap(sheet, 2, 1, {0}));
        const auto info = runCli({"info", s.path("m.map")});
        const auto render = runCli({"render", s.path("m.map"), s.path("m.png")});
        EXPECT_EQ(info.status, 0) << sheet;
        EXPECT_TRUE(oneLineContaining(info.err, reason)) << info.err;
        EXPECT_NE(info.out.find("sheet-size: -\n"), std::string::npos) << info.out;
        EXPECT_EQ(render.status, 1) << sheet;
        EXPECT_EQ(render.err, info.err);
    }
}

// --sheet stands in for a sheet the map names but that is not there, and only then.
TEST(Info, SheetOptionStandsInForAMissingSheet) {
    Scratch s;
    s.writeSheet("own.bmp", patternSheet(64, 64));
    s.writeSheet("other.bmp", patternSheet(96, 64));
    s.writeMap("gone.map", makeMap("C:\\tiles\\gone.bmp", 2, 1, {0}));
    s.writeMap("own.map", makeMap("own.bmp", 2, 1, {0}));
    const std::pair<const char*, const char*> cases[] = {
        {"gone.map", "other.bmp"},
        {"own.map", "own.bmp"},
    };
    for (const auto& [map, used] : cases) {
        const auto info = runCli({"info", s.path(map), "--sheet", s.path("other.bmp")});
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_NE(info.out.find("sheet-found: " + s.path(used) + "\n"), std::string::npos)
            << info.out;
        const auto render =
            runCli({"render", s.path(map), s.path("m.bmp"), "--sheet=" + s.path("other.bmp")});
        EXPECT_EQ(render.status, 0) << render.err;
    }
    EXPECT_EQ(runCli({"render", s.path("gone.map"), s.path("m.bmp")}).status, 1);
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
};

// Test names and failure messages show the case by its name.
void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << c.name;
}

class UsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, BadCommandLineGivesUsageAndStatus2) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    s.writeMap("m.map", makeMap("sheet.bmp", 2, 2, {0}));
    std::vector<std::string> args;
    for (const auto& a : GetParam().args)
        args.push_back(a == "MAP" ? s.path("m.map") : a == "OUT" ? s.path("out.bmp") : a);
    const auto r = runCli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("tilora-cli: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("使い方"), std::string::npos);
    EXPECT_FALSE(s.exists("out.bmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageTest,
    ::testing::Values(
        UsageCase{"NoCommand", {}}, UsageCase{"UnknownCommand", {"draw", "MAP"}},
        UsageCase{"InfoWithoutMap", {"info"}},
        UsageCase{"InfoWithTwoFiles", {"info", "MAP", "OUT"}},
        UsageCase{"RenderWithoutOutput", {"render", "MAP"}},
        UsageCase{"CellSizeZero", {"render", "MAP", "OUT", "--cell-size", "0"}},
        UsageCase{"CellSizeTooLarge", {"render", "MAP", "OUT", "--cell-size=65"}},
        UsageCase{"UnknownFilter", {"render", "MAP", "OUT", "--filter", "bilinear"}},
        UsageCase{"PngLevelTooHigh", {"render", "MAP", "OUT", "--png-level", "10"}},
        UsageCase{"FormatOnImport", {"import", "MAP", "OUT", "--format", "png"}},
        UsageCase{"SeveralMapsWithoutOutDir", {"export", "MAP", "MAP", "OUT"}},
        UsageCase{"OutDirOnImport", {"import", "MAP", "--out-dir", "x"}},
        UsageCase{"CellSizeNotANumber", {"render", "MAP", "OUT", "--cell-size", "8px"}},
        UsageCase{"CellSizeWithoutValue", {"render", "MAP", "OUT", "--cell-size"}},
        UsageCase{"CellSizeOnExport", {"export", "MAP", "OUT", "--cell-size", "8"}},
        UsageCase{"UnknownOption", {"render", "MAP", "OUT", "--fast"}},
        UsageCase{"UnknownImageSuffix", {"render", "MAP", "out.gif"}},
        UsageCase{"StandardOutputWithoutFormat", {"render", "MAP", "-"}},
        UsageCase{"LayerWithFlatten", {"import", "MAP", "OUT", "--layer", "a", "--flatten"}},
        UsageCase{"ScaleNotAFactor", {"import", "MAP", "OUT", "--scale", "two"}},
        UsageCase{"FlattenOnExport", {"export", "MAP", "OUT", "--flatten"}},
        UsageCase{"ImageFormatOnExport", {"export", "MAP", "OUT", "--format", "png"}},
        UsageCase{"SheetWithoutValue", {"info", "MAP", "--sheet"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Usage, HelpAndVersionGoToStandardOutputWithStatus0) {
    struct Case {
        std::vector<std::string> args;
        const char* shown;
        const char* notShown;
    };
    const Case cases[] = {
        {{"--help"}, "tilora-cli render MAP", nullptr},
        {{"render", "--help"}, "--filter box|and", "tilora-cli import"},
        {{"import", "-h"}, "tilora-cli import IN.tmx", "tilora-cli render"},
        {{"--version"}, "tilora-cli 1.", nullptr},
    };
    for (const Case& c : cases) {
        const auto r = runCli(c.args);
        EXPECT_EQ(r.status, 0) << c.shown;
        EXPECT_NE(r.out.find(c.shown), std::string::npos) << r.out;
        if (c.notShown) {
            EXPECT_EQ(r.out.find(c.notShown), std::string::npos) << r.out;
        }
        EXPECT_EQ(r.err, "");
    }
}

} // namespace
} // namespace tilora::cli::test
