// tilora-cli export and import: TMX output, round trips, the encodings read back, Tiled's own
// reading of what we write, and every refusal of a TMX feature the map format cannot hold.

#include "CliTestSupport.h"

#include <QByteArray>
#include <QDir>

#include <gtest/gtest.h>

#include <ostream>
#include <zlib.h>

#include <random>
#include <sstream>
#include <sys/stat.h>

namespace tilora::cli::test {
namespace {

// The map's chips as they come back from a TMX: chips the 64-chip sheet lacks become -1.
CellVector expectedAfterRoundTrip(const MapContents& m, int chips) {
    CellVector out = m.cells;
    for (auto& c : out)
        if (c < 0 || c >= chips) c = -1;
    return out;
}

std::int64_t countOffSheet(const MapContents& m, int chips) {
    return std::count_if(m.cells.begin(), m.cells.end(),
                         [chips](std::int32_t c) { return c < 0 || c >= chips; });
}

MapContents randomMap(int width, int height, unsigned seed) {
    std::mt19937 rng(seed);
    MapContents m = makeMap("sheet.bmp", width, height, {0});
    for (auto& c : m.cells)
        c = std::int32_t(rng() % 75) - 3; // -3..71: some off a 64-chip sheet
    return m;
}

class RoundTripTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(RoundTripTest, ExportThenImportGivesBackSizeAndCells) {
    const auto [width, height] = GetParam();
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(256, 256));
    const MapContents map = randomMap(width, height, unsigned(width * 7919 + height));
    s.writeMap("in.map", map);

    const auto exported = runCli({"export", s.path("in.map"), s.path("m.tmx")});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::int64_t off = countOffSheet(map, 64);
    if (off > 0) {
        EXPECT_TRUE(oneLineContaining(exported.err, "セル " + std::to_string(off) + " 個"))
            << exported.err;
    } else {
        EXPECT_EQ(exported.err, "");
    }

    const auto imported = runCli({"import", s.path("m.tmx"), s.path("back.map")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    const MapContents back = s.readMap("back.map");
    EXPECT_EQ(back.width, width);
    EXPECT_EQ(back.height, height);
    EXPECT_EQ(back.sheetPath, s.path("sheet.bmp"));
    EXPECT_EQ(back.cells, expectedAfterRoundTrip(map, 64));
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTripTest,
                         ::testing::Values(std::pair{1, 1}, std::pair{3, 7}, std::pair{1000, 2},
                                           std::pair{2, 1000}, std::pair{1000, 1000}));

TEST(Export, WritesTiledTmxWithRelativeSheetAndGidsChipPlusOne) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(80, 96)); // 2 columns, 3 rows: chips 0..5
    s.writeMap("in.map", makeMap("sheet.bmp", 3, 2, {0, 5, -1, 6, 2, 1}));
    QDir().mkpath(QString::fromStdString(s.path("out")));
    const auto r = runCli({"export", s.path("in.map"), s.path("out/m.tmx")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(oneLineContaining(r.err, "セル 2 個")) << r.err;
    EXPECT_EQ(s.read("out/m.tmx"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<map version=\"1.8\" orientation=\"orthogonal\" renderorder=\"right-down\" "
              "width=\"3\" height=\"2\" tilewidth=\"32\" tileheight=\"32\" infinite=\"0\" "
              "nextlayerid=\"2\" nextobjectid=\"1\">\n"
              " <tileset firstgid=\"1\" name=\"sheet\" tilewidth=\"32\" tileheight=\"32\" "
              "tilecount=\"6\" columns=\"2\">\n"
              "  <image source=\"../sheet.bmp\" width=\"80\" height=\"96\"/>\n"
              " </tileset>\n"
              " <layer id=\"1\" name=\"map\" width=\"3\" height=\"2\">\n"
              "  <data encoding=\"csv\">\n"
              "1,6,0,\n"
              "0,3,2\n"
              "</data>\n"
              " </layer>\n"
              "</map>\n");
}

TEST(Export, BatchInTiledsJsonAndBack) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    s.writeMap("a.map", makeMap("sheet.bmp", 2, 3, {0, 1, 2, 3}));
    QDir().mkpath(QString::fromStdString(s.path("out")));
    const auto r = runCli({"export", s.path("a.map"), "--out-dir", s.path("out"), "--format=tmj"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(s.read("out/a.tmj").starts_with("{ \"compressionlevel\""));
    ASSERT_EQ(runCli({"import", s.path("out/a.tmj"), s.path("b.map")}).status, 0);
    EXPECT_EQ(s.readMap("b.map").cells, s.readMap("a.map").cells);
}

TEST(Export, EscapesXmlInTheSheetName) {
    Scratch s;
    s.writeSheet("a&b<\"c\".bmp", patternSheet(32, 32));
    s.writeMap("in.map", makeMap("a&b<\"c\".bmp", 1, 1, {0}));
    ASSERT_EQ(runCli({"export", s.path("in.map"), s.path("m.tmx")}).status, 0);
    const std::string tmx = s.read("m.tmx");
    EXPECT_NE(tmx.find("name=\"a&amp;b&lt;&quot;c&quot;\""), std::string::npos) << tmx;
    EXPECT_NE(tmx.find("source=\"a&amp;b&lt;&quot;c&quot;.bmp\""), std::string::npos) << tmx;
    // And the import reads the escaped path back to the real file.
    ASSERT_EQ(runCli({"import", s.path("m.tmx"), s.path("b.map")}).status, 0);
    EXPECT_EQ(s.readMap("b.map").sheetPath, s.path("a&b<\"c\".bmp"));
}

// ---- import: the accepted encodings ----------------------------------------------------------

// gids of a 3 x 2 layer: with firstgid 1, chips 0, 1, 2, none, 5, 4.
const std::vector<std::uint32_t> Gids = {1, 2, 3, 0, 6, 5};
const CellVector Chips = {0, 1, 2, -1, 5, 4};

std::string tilesetXml(int firstGid = 1, const std::string& image = "sheet.bmp") {
    return "<tileset firstgid=\"" + std::to_string(firstGid) +
           "\" name=\"s\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"6\" columns=\"2\">"
           "<image source=\"" +
           image + "\" width=\"80\" height=\"96\"/></tileset>";
}

std::string csv(const std::vector<std::uint32_t>& gids, std::uint32_t add = 0) {
    std::string out = "\n";
    for (std::size_t k = 0; k < gids.size(); ++k) {
        out += std::to_string(gids[k] == 0 ? 0 : gids[k] + add);
        if (k + 1 < gids.size()) out += k % 3 == 2 ? ",\n" : ",";
    }
    return out + "\n";
}

std::string layer(const std::string& dataAttrs, const std::string& body) {
    return "<layer id=\"1\" name=\"l\" width=\"3\" height=\"2\"><data" + dataAttrs + ">" + body +
           "</data></layer>";
}

std::string tmx(const std::string& inside,
                const std::string& mapAttrs =
                    "orientation=\"orthogonal\" width=\"3\" height=\"2\" tilewidth=\"32\" "
                    "tileheight=\"32\" infinite=\"0\"") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"1.8\" " + mapAttrs + ">" +
           inside + "</map>\n";
}

QByteArray littleEndian(const std::vector<std::uint32_t>& gids) {
    QByteArray raw;
    for (std::uint32_t g : gids)
        for (int b = 0; b < 4; ++b)
            raw.append(char((g >> (8 * b)) & 0xFF));
    return raw;
}

// zlib stream (windowBits 15) or gzip (15 + 16).
QByteArray deflated(const QByteArray& raw, int windowBits) {
    z_stream zs{};
    EXPECT_EQ(deflateInit2(&zs, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    QByteArray out(int(deflateBound(&zs, uLong(raw.size())) + 32), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.constData()));
    zs.avail_in = uInt(raw.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
    out.resize(int(zs.total_out));
    deflateEnd(&zs);
    return out;
}

std::string base64(const QByteArray& bytes) {
    return "\n   " + bytes.toBase64().toStdString() + "\n  ";
}

// The same map in Tiled's JSON: the tileset of tilesetXml(), one layer around `data`.
const std::string JsonTileset =
    "{\"firstgid\":1,\"name\":\"s\",\"tilewidth\":32,\"tileheight\":32,\"tilecount\":6,"
    "\"columns\":2,\"image\":\"sheet.bmp\",\"imagewidth\":80,\"imageheight\":96}";

std::string jsonLayer(const std::string& data, const std::string& extra = "") {
    return "{" + extra +
           "\"type\":\"tilelayer\",\"name\":\"l\",\"width\":3,\"height\":2,\"data\":" + data + "}";
}

const std::string JsonData = jsonLayer("[1,2,3,0,6,5]");

std::string tmj(const std::string& layers, const std::string& tilesets = JsonTileset,
                const std::string& header = "\"orientation\":\"orthogonal\"") {
    return "{\"type\":\"map\"," + header +
           ",\"width\":3,\"height\":2,\"tilewidth\":32,\"tileheight\":32,"
           "\"infinite\":false,\"tilesets\":[" +
           tilesets + "],\n\"layers\":[" + layers + "]}";
}

std::string gzipped(const std::string& text) {
    return deflated(QByteArray::fromStdString(text), 31).toStdString();
}

std::string xmlTiles(const std::vector<std::uint32_t>& gids) {
    std::string out;
    for (std::uint32_t g : gids)
        out += g == 0 ? "<tile/>" : "<tile gid=\"" + std::to_string(g) + "\"/>";
    return out;
}

std::string nested(int depth) {
    std::string open, close;
    for (int k = 0; k < depth; ++k)
        open += "<x>", close += "</x>";
    return open + close;
}

struct Accepted {
    const char* name;
    std::string document;
};

// Test names and failure messages show the case by its name.
void PrintTo(const Accepted& c, std::ostream* os) {
    *os << c.name;
}

class ImportEncodingTest : public ::testing::TestWithParam<Accepted> {};

TEST_P(ImportEncodingTest, GivesTheSameCells) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(80, 96));
    QDir().mkpath(QString::fromStdString(s.path("ts")));
    s.write("ts/ext.tsx", "<?xml version=\"1.0\"?>\n<tileset version=\"1.8\" name=\"e\" "
                          "tilewidth=\"32\" tileheight=\"32\" tilecount=\"6\" columns=\"2\">"
                          "<image source=\"../sheet.bmp\" width=\"80\" height=\"96\"/></tileset>");
    s.write("ts/ext.tsj", "{\"type\":\"tileset\",\"name\":\"e\",\"tilewidth\":32,"
                          "\"tileheight\":32,\"image\":\"../sheet.bmp\",\"imagewidth\":80,"
                          "\"imageheight\":96}");
    s.write("in.tmx", GetParam().document);
    const auto r = runCli({"import", s.path("in.tmx"), s.path("out.map")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(oneLineContaining(r.err, "空のセル 1 個")) << r.err;
    const MapContents m = s.readMap("out.map");
    EXPECT_EQ(m.width, 3);
    EXPECT_EQ(m.height, 2);
    EXPECT_EQ(m.cells, Chips);
    EXPECT_EQ(m.sheetPath, s.path("sheet.bmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ImportEncodingTest,
    ::testing::Values(
        Accepted{"Csv", tmx(tilesetXml() + layer(" encoding=\"csv\"", csv(Gids)))},
        Accepted{"CsvFirstGid5", tmx(tilesetXml(5) + layer(" encoding=\"csv\"", csv(Gids, 4)))},
        Accepted{"XmlTiles", tmx(tilesetXml() + layer("", xmlTiles(Gids)))},
        Accepted{"Base64",
                 tmx(tilesetXml() + layer(" encoding=\"base64\"", base64(littleEndian(Gids))))},
        Accepted{"Base64Zlib", tmx(tilesetXml() + layer(" encoding=\"base64\" compression=\"zlib\"",
                                                        base64(deflated(littleEndian(Gids), 15))))},
        Accepted{"Base64Gzip", tmx(tilesetXml() + layer(" encoding=\"base64\" compression=\"gzip\"",
                                                        base64(deflated(littleEndian(Gids), 31))))},
        Accepted{"ExternalTileset", tmx("<tileset firstgid=\"1\" source=\"ts/ext.tsx\"/>" +
                                        layer(" encoding=\"csv\"", csv(Gids)))},
        Accepted{"PropertiesAndEditorSettingsIgnored",
                 tmx("<editorsettings><export format=\"tmx\"/></editorsettings>"
                     "<properties><property name=\"a\" value=\"1\"/></properties>" +
                     tilesetXml() + layer(" encoding=\"csv\"", csv(Gids)))},
        Accepted{"GzipTmx", gzipped(tmx(tilesetXml() + layer(" encoding=\"csv\"", csv(Gids))))},
        Accepted{"TmxWithJsonTileset", tmx("<tileset firstgid=\"1\" source=\"ts/ext.tsj\"/>" +
                                           layer(" encoding=\"csv\"", csv(Gids)))},
        Accepted{"Json", tmj(JsonData)},
        Accepted{
            "JsonBase64Zlib",
            tmj(jsonLayer("\"" + deflated(littleEndian(Gids), 15).toBase64().toStdString() + "\"",
                          "\"encoding\":\"base64\",\"compression\":\"zlib\","))},
        Accepted{"JsonInGroupWithObjectsAndProperties",
                 tmj("{\"type\":\"group\",\"name\":\"g\",\"properties\":[{\"name\":\"p\"}],"
                     "\"layers\":[" +
                     JsonData + "]}")},
        Accepted{"JsonExternalTileset",
                 tmj(JsonData, "{\"firstgid\":1,\"source\":\"ts/ext.tsj\"}")},
        Accepted{"GzipJson", gzipped(tmj(JsonData))}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- import: refusals ------------------------------------------------------------------------

struct Refused {
    const char* name;
    std::string document;
    const char* message;
};

// Test names and failure messages show the case by its name.
void PrintTo(const Refused& c, std::ostream* os) {
    *os << c.name;
}

class ImportRefusalTest : public ::testing::TestWithParam<Refused> {};

TEST_P(ImportRefusalTest, SaysWhatIsNotSupportedAndWritesNothing) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(80, 96));
    s.write("in.tmx", GetParam().document);
    const auto r = runCli({"import", s.path("in.tmx"), s.path("out.map")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(oneLineContaining(r.err, GetParam().message)) << r.err;
    EXPECT_FALSE(s.exists("out.map"));
}

const std::string CsvLayer = layer(" encoding=\"csv\"", csv(Gids));
const std::string MapAttrs3x2 = "width=\"3\" height=\"2\" tilewidth=\"32\" tileheight=\"32\"";

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportRefusalTest,
    ::testing::Values(
        Refused{"Isometric",
                tmx(tilesetXml() + CsvLayer, "orientation=\"isometric\" " + MapAttrs3x2),
                "isometric"},
        Refused{"TilesNotDividing32",
                tmx(tilesetXml() + CsvLayer, "orientation=\"orthogonal\" width=\"3\" height=\"2\" "
                                             "tilewidth=\"24\" tileheight=\"24\""),
                "24 x 24"},
        Refused{"TilesetOfSmallTiles",
                tmx("<tileset firstgid=\"1\" name=\"s\" tilewidth=\"16\" tileheight=\"16\">"
                    "<image source=\"sheet.bmp\" width=\"80\" height=\"96\"/></tileset>" +
                    CsvLayer),
                "32 x 32"},
        Refused{"Infinite",
                tmx(tilesetXml() + CsvLayer,
                    "orientation=\"orthogonal\" " + MapAttrs3x2 + " infinite=\"1\""),
                "無限マップ"},
        Refused{"ZeroWidth",
                tmx(tilesetXml(), "orientation=\"orthogonal\" width=\"0\" height=\"2\" "
                                  "tilewidth=\"32\" tileheight=\"32\""),
                "1～1000"},
        Refused{"TooWide",
                tmx(tilesetXml(), "orientation=\"orthogonal\" width=\"1001\" height=\"2\" "
                                  "tilewidth=\"32\" tileheight=\"32\""),
                "1001 x 2"},
        Refused{"FlippedTile",
                tmx(tilesetXml() + layer(" encoding=\"csv\"", "1,2,3,\n0,2147483654,5")),
                "反転・回転したタイル（セル (1, 1)、左右反転）"},
        Refused{"GidPastTileset", tmx(tilesetXml() + layer(" encoding=\"csv\"", "1,2,3,\n0,7,5")),
                "セル (1, 1) のタイル ID 7 はタイルセットにありません"},
        Refused{"GidBelowFirstGid",
                tmx(tilesetXml(5) + layer(" encoding=\"csv\"", "5,6,7,\n0,3,5")),
                "タイル ID 3 はタイルセットにありません"},
        Refused{"ImageCollection",
                tmx("<tileset firstgid=\"1\" name=\"c\" tilewidth=\"32\" tileheight=\"32\" "
                    "tilecount=\"1\" columns=\"0\"><tile id=\"0\"><image source=\"a.png\" "
                    "width=\"32\" height=\"32\"/></tile></tileset>" +
                    CsvLayer),
                "画像の集まり"},
        Refused{"SpacingLeavesTooFewTiles",
                tmx("<tileset firstgid=\"1\" name=\"s\" tilewidth=\"32\" tileheight=\"32\" "
                    "spacing=\"2\"><image source=\"sheet.bmp\" width=\"80\" height=\"96\"/>"
                    "</tileset>" +
                    CsvLayer),
                "セル (1, 1) のタイル ID 6 はタイルセットにありません"},
        Refused{"HugeImage",
                tmx("<tileset firstgid=\"1\" name=\"s\" tilewidth=\"32\" tileheight=\"32\">"
                    "<image source=\"sheet.bmp\" width=\"99999999999\" height=\"96\"/>"
                    "</tileset>" +
                    CsvLayer),
                "画像の大きさが正しくありません"},
        Refused{"Zstd",
                tmx(tilesetXml() +
                    layer(" encoding=\"base64\" compression=\"zstd\"", base64(littleEndian(Gids)))),
                "zstd"},
        Refused{"DamagedZlib",
                tmx(tilesetXml() +
                    layer(" encoding=\"base64\" compression=\"zlib\"", base64(littleEndian(Gids)))),
                "圧縮データ"},
        Refused{"TooFewTiles", tmx(tilesetXml() + layer(" encoding=\"csv\"", "1,2,3,4,5")),
                "タイルの数が 5 個"},
        Refused{"TooManyTiles", tmx(tilesetXml() + layer(" encoding=\"csv\"", "1,2,3,4,5,6,1")),
                "タイルの数が 7 個"},
        Refused{
            "TooManyZlibTiles",
            tmx(tilesetXml() + layer(" encoding=\"base64\" compression=\"zlib\"",
                                     base64(deflated(littleEndian({1, 2, 3, 4, 5, 6, 1}), 15)))),
            "多い"},
        Refused{"CsvNotANumber", tmx(tilesetXml() + layer(" encoding=\"csv\"", "1,a,3,4,5,6")),
                "2 番目の値が数値ではありません"},
        Refused{"MalformedXml",
                "<?xml version=\"1.0\"?><map orientation=\"orthogonal\" " + MapAttrs3x2 +
                    "><tileset firstgid=1>",
                "XML を読めません"},
        Refused{"NotTmx", "<?xml version=\"1.0\"?><html/>", "map 要素がありません"},
        Refused{"NoTileset", tmx(CsvLayer), "タイルセットがありません"},
        Refused{"NoLayer", tmx(tilesetXml()), "タイルレイヤーがありません"},
        Refused{"MissingExternalTileset",
                tmx("<tileset firstgid=\"1\" source=\"nowhere.tsx\"/>" + CsvLayer),
                "外部タイルセットを開けません"},
        Refused{"SheetPathWithComma", tmx(tilesetXml(1, "a,b.bmp") + CsvLayer), "「,」"},
        Refused{"EntityDeclared",
                "<?xml version=\"1.0\"?><!DOCTYPE map [<!ENTITY a \"aaaaaaaa\">]>" +
                    tmx(tilesetXml() + CsvLayer).substr(22),
                "実体（ENTITY）"},
        Refused{"DeepNesting", tmx(tilesetXml() + CsvLayer + nested(100)), "入れ子が深すぎます"},
        Refused{"TextAfterTheMap", tmx(tilesetXml() + CsvLayer) + "junk", "XML を読めません"},
        Refused{"SecondRoot", tmx(tilesetXml() + CsvLayer) + "<map/>", "XML を読めません"},
        Refused{"BytesAfterTheZlibStream",
                tmx(tilesetXml() + layer(" encoding=\"base64\" compression=\"zlib\"",
                                         base64(deflated(littleEndian(Gids), 15) + "junk"))),
                "圧縮データの後に余分なデータ"},
        Refused{"JsonMalformed", "{\"type\":\"map\",\n\n  \"width\":3 \"height\":2}",
                "JSON の書き方が正しくありません（3行目"},
        Refused{"JsonIsometric", tmj(JsonData, JsonTileset, "\"orientation\":\"isometric\""),
                "isometric"},
        Refused{"JsonWidthText", tmj(jsonLayer("[1,2,3,0,6,5]", "\"width\":\"3\","), JsonTileset),
                "layers[0] の width が整数ではありません（文字列）"},
        Refused{"JsonTooFewTiles", tmj(jsonLayer("[1,2,3]")), "タイルの数が 3 個"},
        Refused{"JsonFlippedTile", tmj(jsonLayer("[1,2,3,0,1073741830,5]")),
                "反転・回転したタイル（セル (1, 1)、上下反転）"},
        Refused{"JsonDeepNesting",
                tmj(JsonData).substr(0, 1) + "\"properties\":" + std::string(100, '[') +
                    std::string(100, ']') + "," + tmj(JsonData).substr(1),
                "入れ子が深すぎます"},
        Refused{"GzipCutShort", gzipped(tmj(JsonData)).substr(0, 40), "途中で切れています"},
        Refused{"DeclaredSizeIsNotTheImage",
                tmx("<tileset firstgid=\"1\" name=\"s\" tilewidth=\"32\" tileheight=\"32\">"
                    "<image source=\"sheet.bmp\" width=\"32768\" height=\"32768\"/></tileset>" +
                    CsvLayer),
                "画像の大きさ 80 x 96 が TMX に書かれた 32768 x 32768 と違います"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Import, FailureLeavesAnExistingMapUntouched) {
    Scratch s;
    s.write("out.map", "previous");
    s.write("in.tmx", tmx(tilesetXml() + layer(" encoding=\"csv\"", "1,2,3,\n0,2147483654,5")));
    EXPECT_EQ(runCli({"import", s.path("in.tmx"), s.path("out.map")}).status, 1);
    EXPECT_EQ(s.read("out.map"), "previous");
    const auto missing = runCli({"import", s.path("none.tmx"), s.path("out.map")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(oneLineContaining(missing.err, "none.tmx")) << missing.err;
    EXPECT_EQ(s.read("out.map"), "previous");
}

TEST(Import, MissingImageKeepsTheDeclaredSizeAndSaysSo) {
    Scratch s;
    s.write("in.tmx", tmx(tilesetXml() + CsvLayer));
    const auto r = runCli({"import", s.path("in.tmx"), s.path("out.map")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("TMX に書かれた大きさ 80 x 96 をそのまま使いました"), std::string::npos)
        << r.err;
    EXPECT_EQ(s.readMap("out.map").cells, Chips);
}

// A FIFO in any input place is refused at once instead of waiting for a writer.
TEST(Import, SpecialFilesAreRefusedWithoutBlocking) {
    struct Case {
        const char* fifo;
        std::string tmxName;
        std::string document;
    };
    const Case cases[] = {
        {"in.tmx", "in.tmx", ""},
        {"ext.tsx", "a.tmx", tmx("<tileset firstgid=\"1\" source=\"ext.tsx\"/>" + CsvLayer)},
        {"pipe.bmp", "b.tmx", tmx(tilesetXml(1, "pipe.bmp") + CsvLayer)},
    };
    for (const Case& c : cases) {
        Scratch s;
        ASSERT_EQ(::mkfifo(s.path(c.fifo).c_str(), 0600), 0);
        if (!c.document.empty()) s.write(c.tmxName, c.document);
        const auto r = runBinary({"import", s.path(c.tmxName), s.path("out.map")});
        EXPECT_EQ(r.status, 1) << c.fifo;
        EXPECT_NE(r.err.find("通常のファイルではありません"), std::string::npos) << r.err;
        EXPECT_FALSE(s.exists("out.map"));
    }
}

// ---- Tiled reads what we write -----------------------------------------------------------------

// Runs Tiled's command-line export.
class TiledTest : public ::testing::Test {
  protected:
    void tiledExport(const std::string& format, const std::string& from, const std::string& to) {
        const CliResult r = runTiledProgram("tiled", {"--export-map", format, from, to});
        ASSERT_EQ(r.status, 0) << r.err;
    }
};

class TiledReadsOurExport : public TiledTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TiledReadsOurExport, CellForCell) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(256, 256));
    const MapContents map = randomMap(37, 23, 99);
    s.writeMap("in.map", map);
    const std::string ours = std::string("ours") + GetParam();
    ASSERT_EQ(runCli({"export", s.path("in.map"), s.path(ours)}).status, 0);

    // Tiled's CSV export lists each cell's tile id in its tileset, -1 for an empty cell: with
    // firstgid 1 that is our chip, or -1 for a chip the sheet lacks.
    tiledExport("csv", s.path(ours), s.path("tiled.csv"));
    CellVector cells;
    std::istringstream in(s.read("tiled.csv"));
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        ++rows;
        std::istringstream fields(line);
        std::string f;
        int columns = 0;
        while (std::getline(fields, f, ',')) {
            cells.push_back(std::stoi(f));
            ++columns;
        }
        EXPECT_EQ(columns, map.width) << "row " << rows;
    }
    EXPECT_EQ(rows, map.height);
    EXPECT_EQ(cells, expectedAfterRoundTrip(map, 64));

    // And our import reads our own export back.
    const auto back = runCli({"import", s.path(ours), s.path("back.map")});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(s.readMap("back.map").cells, expectedAfterRoundTrip(map, 64));
}

INSTANTIATE_TEST_SUITE_P(Formats, TiledReadsOurExport, ::testing::Values(".tmx", ".tmj", ".json"),
                         [](const auto& info) { return std::string(info.param + 1); });

TEST_F(TiledTest, TmxRewrittenByTiledInAnotherFolderImportsToTheSameMap) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(256, 256));
    const MapContents map = randomMap(40, 30, 5);
    s.writeMap("in.map", map);
    ASSERT_EQ(runCli({"export", s.path("in.map"), s.path("ours.tmx")}).status, 0);
    QDir().mkpath(QString::fromStdString(s.path("elsewhere")));
    // Tiled rewrites the image path relative to the new folder, which shows it resolved ours.
    tiledExport("tmx", s.path("ours.tmx"), s.path("elsewhere/tiled.tmx"));
    EXPECT_NE(s.read("elsewhere/tiled.tmx").find("source=\"../sheet.bmp\""), std::string::npos);

    const auto r = runCli({"import", s.path("elsewhere/tiled.tmx"), s.path("back.map")});
    ASSERT_EQ(r.status, 0) << r.err;
    const MapContents back = s.readMap("back.map");
    EXPECT_EQ(back.sheetPath, s.path("sheet.bmp"));
    EXPECT_EQ(back.width, map.width);
    EXPECT_EQ(back.height, map.height);
    EXPECT_EQ(back.cells, expectedAfterRoundTrip(map, 64));
}

} // namespace
} // namespace tilora::cli::test
