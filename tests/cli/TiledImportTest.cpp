// tilora-cli import of what the map file cannot take as it is: small tiles, spaced tilesets,
// several tilesets and layers, and Tiled's own example maps. Where a sheet is generated, the
// imported map rendered by tilora-cli is compared with Tiled's own rendering (tmxrasterizer) of
// the source map.

#include "CliTestSupport.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <random>

namespace tilora::cli::test {
namespace {

// A tileset picture of columns x rows tiles with margin and spacing; every pixel random, the
// alpha 255, 128 or 0 where `alpha`; margin and spacing magenta, which must never show.
QImage tilesetPicture(int tile, int columns, int rows, int margin, int spacing, bool alpha,
                      unsigned seed) {
    const int w = 2 * margin + columns * tile + (columns - 1) * spacing;
    const int h = 2 * margin + rows * tile + (rows - 1) * spacing;
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(QColor(255, 0, 255));
    std::mt19937 rng(seed);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            for (int y = 0; y < tile; ++y)
                for (int x = 0; x < tile; ++x) {
                    const unsigned a = alpha ? (rng() % 3 == 0 ? 0 : rng() % 2 ? 128 : 255) : 255;
                    image.setPixel(margin + c * (tile + spacing) + x,
                                   margin + r * (tile + spacing) + y,
                                   a << 24 | (rng() & 0xFFFFFFu));
                }
    return image;
}

struct Tileset {
    std::string name;
    int columns, rows, margin, spacing;
    bool alpha;
};

struct Layer {
    std::string name;
    std::vector<std::uint32_t> gids; // repeated over the map
    std::string attributes;          // visible, opacity
};

constexpr int MapW = 7;
constexpr int MapH = 5;

// Writes the tilesets' pictures and a TMX of MapW x MapH cells; returns the TMX's path.
std::string writeMap(const Scratch& s, int tile, const std::vector<Tileset>& tilesets,
                     const std::vector<Layer>& layers) {
    std::string xml = "<?xml version=\"1.0\"?>\n<map version=\"1.8\" orientation=\"orthogonal\" "
                      "width=\"" +
                      std::to_string(MapW) + "\" height=\"" + std::to_string(MapH) +
                      "\" tilewidth=\"" + std::to_string(tile) + "\" tileheight=\"" +
                      std::to_string(tile) + "\">\n";
    int firstGid = 1;
    for (const Tileset& t : tilesets) {
        const QImage picture = tilesetPicture(tile, t.columns, t.rows, t.margin, t.spacing, t.alpha,
                                              unsigned(firstGid));
        EXPECT_TRUE(picture.save(QString::fromStdString(s.path(t.name + ".png"))));
        xml += " <tileset firstgid=\"" + std::to_string(firstGid) + "\" name=\"" + t.name +
               "\" tilewidth=\"" + std::to_string(tile) + "\" tileheight=\"" +
               std::to_string(tile) + "\" margin=\"" + std::to_string(t.margin) + "\" spacing=\"" +
               std::to_string(t.spacing) + "\"><image source=\"" + t.name + ".png\" width=\"" +
               std::to_string(picture.width()) + "\" height=\"" + std::to_string(picture.height()) +
               "\"/></tileset>\n";
        firstGid += t.columns * t.rows;
    }
    for (const Layer& l : layers) {
        xml += " <layer name=\"" + l.name + "\" width=\"" + std::to_string(MapW) + "\" height=\"" +
               std::to_string(MapH) + "\" " + l.attributes + "><data encoding=\"csv\">";
        for (int k = 0; k < MapW * MapH; ++k)
            xml += (k ? "," : "") + std::to_string(l.gids[std::size_t(k) % l.gids.size()]);
        xml += "</data></layer>\n";
    }
    xml += " <objectgroup name=\"things\"/>\n</map>\n";
    s.write("m.tmx", xml);
    return s.path("m.tmx");
}

// Tiled's picture of the map at 32 pixels a tile, over black, or a null image.
QImage tiledPicture(const Scratch& s, const std::string& tmx,
                    const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--tilesize", "32", "--no-smoothing"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(tmx);
    args.push_back(s.path("tiled.png"));
    const CliResult r = runTiledProgram("tmxrasterizer", args);
    EXPECT_EQ(r.status, 0) << r.err;
    const QImage drawn(QString::fromStdString(s.path("tiled.png")));
    QImage out(drawn.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter(&out).drawImage(0, 0, drawn);
    return out;
}

// Pixels whose channels differ by more than rounding between two ways of blending.
int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
                std::abs(qBlue(p) - qBlue(q)) > 2)
                ++count;
        }
    return count;
}

// Renders the imported map with tilora-cli.
QImage ourPicture(const Scratch& s, const std::string& map) {
    const CliResult r = runCli({"render", map, s.path("ours.png")});
    EXPECT_EQ(r.status, 0) << r.err;
    return QImage(QString::fromStdString(s.path("ours.png"))).convertToFormat(QImage::Format_RGB32);
}

struct SheetCase {
    const char* name;
    int tile;
    std::vector<Tileset> tilesets;
    std::vector<Layer> layers;
    std::vector<std::string> options;      // for tilora-cli import
    std::vector<std::string> tiledOptions; // for tmxrasterizer: the same layers
    const char* sheet;                     // the generated sheet's file
    std::vector<const char*> notices;
    bool chipsAreTileIds; // chip = global id - 1
};

void PrintTo(const SheetCase& c, std::ostream* os) {
    *os << c.name;
}

class GeneratedSheetTest : public ::testing::TestWithParam<SheetCase> {};

TEST_P(GeneratedSheetTest, RendersAsTiledDoes) {
    const SheetCase& c = GetParam();
    Scratch s;
    const std::string tmx = writeMap(s, c.tile, c.tilesets, c.layers);
    std::vector<std::string> args = {"import", tmx, s.path("m.map")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliResult r = runCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* notice : c.notices)
        EXPECT_NE(r.err.find(notice), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("オブジェクトレイヤー「things」を読み飛ばしました"), std::string::npos);
    const MapContents map = s.readMap("m.map");
    EXPECT_EQ(map.sheetPath, c.sheet);
    if (c.chipsAreTileIds) {
        for (std::size_t k = 0; k < map.cells.size(); ++k)
            EXPECT_EQ(map.cells[k],
                      std::int32_t(c.layers[0].gids[k % c.layers[0].gids.size()]) - 1);
    }
    EXPECT_EQ(differingPixels(ourPicture(s, s.path("m.map")), tiledPicture(s, tmx, c.tiledOptions)),
              0);
}

const std::vector<std::uint32_t> Ground = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
// Flip flags: horizontal, vertical, diagonal, the two quarter turns (diagonal with one of the
// others, where the order of the flips shows) and all three.
const std::vector<std::uint32_t> Flipped = {0,           3,           0x80000004u, 0x40000005u,
                                            0x20000006u, 0xA0000007u, 0x60000008u, 0xE0000002u};

INSTANTIATE_TEST_SUITE_P(
    Cases, GeneratedSheetTest,
    ::testing::Values(SheetCase{"SpacedTileset",
                                32,
                                {{"spaced", 4, 3, 1, 2, false}},
                                {{"ground", Ground, ""}},
                                {},
                                {"--hide-layer", "things"},
                                "m-spaced.png",
                                {},
                                true},
                      SheetCase{"SixteenPixelTiles",
                                16,
                                {{"small", 5, 3, 0, 0, false}},
                                {{"g", Ground, ""}},
                                {},
                                {},
                                "m-small.png",
                                {"16 x 16 のタイルを 2 倍に拡大"},
                                true},
                      SheetCase{"EightPixelTilesSpaced",
                                8,
                                {{"tiny", 4, 4, 2, 1, false}},
                                {{"g", Ground, ""}},
                                {"--scale", "4"},
                                {},
                                "m-tiny.png",
                                {},
                                true},
                      SheetCase{"TwoTilesets",
                                16,
                                {{"a", 3, 2, 0, 0, false}, {"b", 5, 2, 1, 1, false}},
                                {{"g", Ground, ""}},
                                {},
                                {},
                                "m-chips.png",
                                {"タイルセット 2 個を 1 枚のチップ画像にまとめました"},
                                false},
                      SheetCase{"SecondLayerByName",
                                32,
                                {{"s", 4, 3, 1, 1, false}},
                                {{"bottom", Ground, ""}, {"top", {12, 11, 10}, ""}},
                                {"--layer", "top"},
                                {"--show-layer", "top"},
                                "m-s.png",
                                {},
                                false},
                      SheetCase{"FlattenedWithAlphaOpacityFlipsAndAHiddenLayer",
                                16,
                                {{"s", 3, 3, 0, 0, true}, {"t", 2, 2, 1, 0, true}},
                                {{"bottom", Ground, ""},
                                 {"middle", Flipped, "opacity=\"0.5\""},
                                 {"hidden", {13}, "visible=\"0\""},
                                 {"top", {0, 0, 10, 0, 11}, ""}},
                                {"--flatten"},
                                {},
                                "m-chips.png",
                                {"表示されていないタイルレイヤー「hidden」は重ねませんでした",
                                 "タイルレイヤー 3 枚を重ね"},
                                false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GeneratedSheet, FirstLayerIsTakenAndTheOthersNamed) {
    Scratch s;
    const std::string tmx = writeMap(s, 32, {{"s", 4, 3, 0, 0, false}},
                                     {{"a", Ground, ""}, {"b", {2}, ""}, {"c", {3}, ""}});
    const CliResult r = runCli({"import", tmx, s.path("m.map")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(
        r.err.find("タイルレイヤー「a」だけを読み込みました（ほかのタイルレイヤー 「b」「c」"),
        std::string::npos)
        << r.err;
    // One 32-pixel tileset without spacing is used as it is.
    EXPECT_EQ(s.readMap("m.map").sheetPath, s.path("s.png"));
    EXPECT_FALSE(s.exists("m-s.png"));
}

TEST(GeneratedSheet, WhereTheSheetGoes) {
    Scratch s;
    const std::string tmx = writeMap(s, 16, {{"s", 4, 3, 0, 0, false}}, {{"g", Ground, ""}});
    QDir().mkpath(QString::fromStdString(s.path("sheets")));

    // To standard output only with --sheet, and the map names it by its absolute path.
    EXPECT_EQ(runCli({"import", tmx, "-"}).status, 1);
    const CliResult out = runCli({"import", tmx, "-", "--sheet", s.path("sheets/x.png")});
    ASSERT_EQ(out.status, 0) << out.err;
    EXPECT_TRUE(out.out.starts_with(s.path("sheets/x.png") + ",\r\n")) << out.out;
    EXPECT_TRUE(s.exists("sheets/x.png"));

    // Never over a file the import reads: here the map is named so that its sheet would be the
    // tileset's own picture.
    const std::string before = s.read("s.png");
    const CliResult clash = runCli({"import", tmx, s.path("m.map"), "--sheet", s.path("s.png")});
    EXPECT_EQ(clash.status, 1);
    EXPECT_TRUE(oneLineContaining(clash.err, "読み込んだファイルと同じです")) << clash.err;
    EXPECT_EQ(s.read("s.png"), before);
    EXPECT_FALSE(s.exists("m.map"));

    // A wrong --scale says what is needed.
    const CliResult scale = runCli({"import", tmx, s.path("m.map"), "--scale", "3"});
    EXPECT_TRUE(oneLineContaining(scale.err, "2 倍が必要です")) << scale.err;
}

TEST(GeneratedSheet, TooManyStacksAreRefusedWithTheirCount) {
    // 300 tiles on two layers of a 900 x 100 map, stacked so that every cell is a pair of its
    // own: 90,000 stacks, past the 65,536 chips a sheet holds.
    Scratch big;
    std::string xml = "<map orientation=\"orthogonal\" width=\"900\" height=\"100\" "
                      "tilewidth=\"32\" tileheight=\"32\"><tileset firstgid=\"1\" name=\"s\" "
                      "tilewidth=\"32\" tileheight=\"32\"><image source=\"s.png\"/></tileset>";
    const auto layerOf = [](const std::function<std::uint32_t(int)>& gid) {
        std::string out = "<layer width=\"900\" height=\"100\"><data encoding=\"csv\">";
        for (int k = 0; k < 90000; ++k)
            out += (k ? "," : "") + std::to_string(gid(k));
        return out + "</data></layer>";
    };
    xml += layerOf([](int k) { return std::uint32_t(k % 300 + 1); });
    xml += layerOf([](int k) { return std::uint32_t(k / 300 % 300 + 1); });
    xml += "</map>";
    ASSERT_TRUE(
        tilesetPicture(32, 20, 15, 0, 0, false, 1).save(QString::fromStdString(big.path("s.png"))));
    big.write("m.tmx", xml);
    const CliResult r = runCli({"import", big.path("m.tmx"), big.path("m.map"), "--flatten"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(oneLineContaining(r.err, "組み合わせが 90000 通りあり")) << r.err;
    EXPECT_FALSE(big.exists("m.map"));
    EXPECT_FALSE(big.exists("m-chips.png"));
}

// ---- Tiled's own examples ----------------------------------------------------------------------

struct Example {
    const char* file; // under Tiled's examples folder
    bool flatten;
    const char* refusal; // nullptr: imports, and renders as Tiled renders it
};

void PrintTo(const Example& c, std::ostream* os) {
    *os << c.file;
}

class ExampleMapTest : public ::testing::TestWithParam<Example> {};

TEST_P(ExampleMapTest, ImportsOrSaysWhyNot) {
    const Example& c = GetParam();
    const std::string folder = "/usr/share/doc/tiled/examples/";
    ASSERT_TRUE(QDir(QString::fromStdString(folder)).exists()) << "scripts/deps.sh installs Tiled";
    Scratch s;
    std::vector<std::string> args = {"import", folder + c.file, s.path("m.map")};
    if (c.flatten) args.push_back("--flatten");
    const CliResult r = runCli(args);
    if (c.refusal) {
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(oneLineContaining(r.err, c.refusal)) << r.err;
        return;
    }
    ASSERT_EQ(r.status, 0) << r.err;
    // Tiled's rasterizer reads no gzip: it gets the map unpacked beside the original's files.
    QDir().mkpath(QString::fromStdString(s.path("ex")));
    const std::string source = folder + c.file;
    std::string plain = source;
    if (plain.ends_with(".gz")) {
        QProcess gunzip;
        gunzip.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral("cp -r %1/. %2/ && gunzip -f %2/%3")
                          .arg(QString::fromStdString(folder), QString::fromStdString(s.path("ex")),
                               QString::fromStdString(c.file))});
        ASSERT_TRUE(gunzip.waitForFinished(60000));
        plain = s.path("ex/") + std::string(c.file).substr(0, std::string(c.file).size() - 3);
    }
    EXPECT_EQ(differingPixels(ourPicture(s, s.path("m.map")),
                              tiledPicture(s, plain, {"--hide-layer", "Objects"})),
              0);
}

INSTANTIATE_TEST_SUITE_P(
    Tiled, ExampleMapTest,
    ::testing::Values(
        Example{"desert.tmx", false, nullptr}, Example{"rpg/island.tmx", true, nullptr},
        Example{"orthogonal-outside.tmx.gz", true, nullptr},
        Example{"rpg/island.tmx", false,
                "反転・回転したタイル（セル (22, 18)、上下反転・対角反転）"},
        Example{"hexagonal-mini.tmx", false, "hexagonal"},
        Example{"test_hexagonal_tile_60x60x30.tmx", false, "hexagonal"},
        Example{"isometric_grass_and_water.tmx", false, "isometric"},
        Example{"isometric_staggered_grass_and_water.tmx.gz", false, "staggered"},
        Example{"perspective_walls.tmx", true, "31 x 31"}, Example{"sewers.tmx", true, "24 x 24"},
        Example{"sewer_automap/sewers.tmx", false, "24 x 24"},
        Example{"sewer_automap/rule_001.tmx", true, "24 x 24"},
        Example{"sewer_automap/rule_002.tmx", true, "24 x 24"},
        Example{"sewer_automap/rule_003.tmx", true, "24 x 24"},
        Example{"sewer_automap/rule_004.tmx", true, "24 x 24"},
        Example{"sewer_automap/rule_005.tmx", true, "24 x 24"},
        Example{"sewer_automap/rule_006.tmx", true, "24 x 24"},
        Example{"sewer_automap/rule_007.tmx", true, "24 x 24"},
        Example{"sewer_automap/rule_008.tmx", true, "24 x 24"},
        Example{"sewer_automap/rule_009.tmx", true, "24 x 24"},
        Example{"sticker-knight/map/sandbox.tmx.gz", false, "タイルレイヤーがありません"},
        Example{"sticker-knight/map/sandbox2.tmx.gz", false, "タイルレイヤーがありません"}),
    [](const auto& info) {
        std::string name = std::string(info.param.file) + (info.param.flatten ? "_flat" : "");
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

} // namespace
} // namespace tilora::cli::test
