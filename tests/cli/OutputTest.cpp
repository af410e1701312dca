// tilora-cli's outputs: PNG files checked by independent decoders, the box reduction, standard
// output, batches and paths that are not UTF-8. The PNG render's peak memory on a large map is a
// figure of `make bench` (scripts/bench-processes.sh), beside its bound.

#include "CliTestSupport.h"

#include "core/FileIO.h"
#include "platform/BmpLoader.h"

#include <QImage>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace tilora::cli::test {
namespace {

MapContents randomMap(const std::string& sheet, int width, int height, int chips, unsigned seed) {
    std::mt19937 rng(seed);
    MapContents m = makeMap(sheet, width, height, {0});
    for (auto& c : m.cells)
        c = std::int32_t(rng() % unsigned(chips + 2)) - 1; // -1 and one past the sheet too
    return m;
}

bool pngcheckPasses(const std::string& path) {
    return std::system(("pngcheck -q '" + path + "' >/dev/null").c_str()) == 0;
}

Bitmap decoded(const std::string& path) {
    const QImage image(QString::fromStdString(path));
    return image.isNull() ? Bitmap() : bitmapFromImage(image.convertToFormat(QImage::Format_RGB32));
}

// PNGs of one band and of many bands joined, at every zlib level class, decode (Qt's reader and
// pngcheck) to the same pixels as the BMP of the same render.
TEST(PngOutput, DecodesToTheBmpsPixels) {
    struct Case {
        int width, height, cellSize, level;
    };
    const Case cases[] = {
        {5, 4, 1, 1}, {7, 3, 3, 0}, {40, 30, 32, 6}, {150, 120, 16, 1}, {20, 20, 64, 9}};
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(96, 64));
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.cellSize) + "-" + std::to_string(c.level);
        s.writeMap(name + ".map", randomMap("sheet.bmp", c.width, c.height, 6, unsigned(c.level)));
        const std::string size = std::to_string(c.cellSize);
        ASSERT_EQ(runCli({"render", s.path(name + ".map"), s.path(name + ".png"), "--cell-size",
                          size, "--png-level", std::to_string(c.level)})
                      .status,
                  0);
        ASSERT_EQ(
            runCli({"render", s.path(name + ".map"), s.path(name + ".bmp"), "--cell-size", size})
                .status,
            0);
        const Bitmap png = decoded(s.path(name + ".png"));
        EXPECT_EQ(png.width(), c.width * c.cellSize) << name;
        EXPECT_TRUE(png == decoded(s.path(name + ".bmp"))) << name;
        EXPECT_TRUE(pngcheckPasses(s.path(name + ".png"))) << name;
    }
}

// Box: each reduced pixel is the mean of the source pixels on it; and: the editor's AND.
TEST(Render, BoxAveragesWhereAndKeepsTheViewsBits) {
    Bitmap sheet(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            sheet.setPixel(x, y, x < 16 ? 0xFFFF0000u : 0xFF0000FFu); // red | blue
    Scratch s;
    s.writeSheet("sheet.bmp", sheet);
    s.writeMap("m.map", makeMap("sheet.bmp", 1, 1, {0}));
    struct Case {
        const char* filter;
        int cellSize;
        std::vector<Pixel> row; // the first pixel row
    };
    const Case cases[] = {
        {"box", 1, {0xFF800080u}},
        {"box", 2, {0xFFFF0000u, 0xFF0000FFu}},
        {"box", 3, {0xFFFF0000u, 0xFF8B0074u, 0xFF0000FFu}}, // 10 red, 6 red + 5 blue, 11 blue
        {"and", 1, {0xFF000000u}},
        {nullptr, 1, {0xFF800080u}}, // box is the default
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"render", s.path("m.map"), s.path("o.bmp"), "--cell-size",
                                         std::to_string(c.cellSize)};
        if (c.filter) args.insert(args.end(), {"--filter", c.filter});
        ASSERT_EQ(runCli(args).status, 0);
        const Bitmap got = decoded(s.path("o.bmp"));
        ASSERT_EQ(got.width(), c.cellSize);
        for (int x = 0; x < c.cellSize; ++x)
            EXPECT_EQ(got.pixel(x, 0), c.row[std::size_t(x)])
                << (c.filter ? c.filter : "default") << " " << c.cellSize;
    }
}

TEST(Output, DashIsStandardOutput) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    const MapContents map = makeMap("sheet.bmp", 3, 2, {0, 1, 2});
    s.writeMap("m.map", map);
    const auto tmx = runCli({"export", s.path("m.map"), "-"});
    EXPECT_EQ(tmx.status, 0) << tmx.err;
    EXPECT_NE(tmx.out.find("<map "), std::string::npos);
    // Standard output has no folder to be relative to: the image is named by its absolute path.
    EXPECT_NE(tmx.out.find("source=\"" + s.path("sheet.bmp") + "\""), std::string::npos) << tmx.out;
    s.write("m.tmx", tmx.out);
    const auto text = runCli({"import", s.path("m.tmx"), "-"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, formatMapFile(makeMap(s.path("sheet.bmp"), 3, 2, {0, 1, 2})));
    const auto png = runCli({"render", s.path("m.map"), "-", "--format", "png"});
    EXPECT_EQ(png.status, 0) << png.err;
    EXPECT_EQ(png.out.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_FALSE(s.exists("-"));
}

// Every map gets its output named after it; a failing one is named and the rest go on.
TEST(Batch, EachMapItsOwnOutputAndFailuresReportedByName) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    s.writeMap("a.map", makeMap("sheet.bmp", 2, 2, {0}));
    s.write("broken.map", "sheet.bmp,\r\nx,\r\n");
    s.writeMap("c.map", makeMap("sheet.bmp", 3, 1, {1}));
    ASSERT_EQ(::mkdir(s.path("out").c_str(), 0700), 0);
    struct Case {
        std::vector<std::string> options;
        const char* suffix;
    };
    const Case cases[] = {{{"export"}, ".tmx"},
                          {{"render", "--format", "bmp", "--cell-size", "2"}, ".bmp"},
                          {{"render"}, ".png"}};
    for (const Case& c : cases) {
        std::vector<std::string> args = c.options;
        for (const char* m : {"a.map", "broken.map", "c.map"})
            args.push_back(s.path(m));
        args.insert(args.end(), {"--out-dir", s.path("out")});
        const auto r = runCli(args);
        EXPECT_EQ(r.status, 1) << c.suffix;
        EXPECT_TRUE(oneLineContaining(r.err, "broken.map")) << r.err;
        EXPECT_TRUE(s.exists(std::string("out/a") + c.suffix)) << c.suffix;
        EXPECT_TRUE(s.exists(std::string("out/c") + c.suffix)) << c.suffix;
        EXPECT_FALSE(s.exists(std::string("out/broken") + c.suffix)) << c.suffix;
    }
    EXPECT_EQ(decoded(s.path("out/c.bmp")).width(), 6);
    EXPECT_EQ(
        runCli({"export", s.path("a.map"), s.path("c.map"), "--out-dir", s.path("out")}).status, 0);
    // A second map of the same name is refused, not written over the first one's output.
    ASSERT_EQ(::mkdir(s.path("other").c_str(), 0700), 0);
    s.writeMap("other/a.map", makeMap("../sheet.bmp", 5, 5, {2}));
    const auto twice =
        runCli({"export", s.path("a.map"), s.path("other/a.map"), "--out-dir", s.path("out")});
    EXPECT_EQ(twice.status, 1);
    EXPECT_TRUE(oneLineContaining(twice.err, "other/a.map")) << twice.err;
    EXPECT_NE(s.read("out/a.tmx").find("width=\"2\""), std::string::npos);
}

// A missing output folder is made once for the batch; a name taken by a file is refused once.
TEST(Batch, OutDirIsMadeWhenMissingAndRefusedOnceWhenAFile) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    s.writeMap("a.map", makeMap("sheet.bmp", 2, 2, {0}));
    s.writeMap("b.map", makeMap("sheet.bmp", 2, 2, {1}));
    const auto made = runCli({"render", s.path("a.map"), s.path("b.map"), "--out-dir",
                              s.path("imgs/new"), "--cell-size", "1"});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(s.exists("imgs/new/a.png"));
    EXPECT_TRUE(s.exists("imgs/new/b.png"));

    s.write("taken", "a file");
    const auto refused =
        runCli({"export", s.path("a.map"), s.path("b.map"), "--out-dir", s.path("taken")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(oneLineContaining(refused.err, s.path("taken") + ": フォルダーではありません"))
        << refused.err;
    EXPECT_EQ(s.read("taken"), "a file");
}

// A Shift-JIS folder name and a Latin-1 file name, neither valid UTF-8, reached through the
// map's sheet field as written on Windows, relative, and as an absolute path of this system.
TEST(BytePaths, ShiftJisFolderAndLatin1SheetAreFound) {
    Scratch s;
    const std::string folder = s.path("sheets") + "\x95\x5C\x8E\xA6"; // 表示, raw bytes
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string sheetName = "caf\xE9.bmp";
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    ASSERT_EQ(::rename(s.path("sheet.bmp").c_str(), (folder + "/" + sheetName).c_str()), 0);
    const std::string fields[] = {"C:\\\x95\x5C\x8E\xA6\\" + sheetName, sheetName,
                                  folder + "/" + sheetName};
    for (const std::string& field : fields) {
        const std::string map = folder + "/m.map";
        ASSERT_TRUE(saveFileAtomically(map, formatMapFile(makeMap(field, 2, 2, {0, 3}))).ok());
        const auto info = runCli({"info", map});
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_NE(info.out.find("sheet-found: " + folder + "/" + sheetName + "\n"),
                  std::string::npos)
            << info.out;
        const auto r = runCli({"render", map, folder + "/o.png", "--cell-size", "4"});
        EXPECT_EQ(r.status, 0) << r.err;
    }
    // A map beside the folder naming it relatively, its 0x5C inside 表 not a separator.
    s.writeMap("up.map", makeMap("sheets\x95\x5C\x8E\xA6\\" + sheetName, 1, 1, {0}));
    const auto up = runCli({"render", s.path("up.map"), s.path("up.bmp")});
    EXPECT_EQ(up.status, 0) << up.err;
    std::filesystem::remove_all(folder); // the scratch folder's own clean-up cannot name it
}

TEST(SpecialFiles, AMapThatIsAFifoIsRefusedAtOnce) {
    Scratch s;
    ASSERT_EQ(::mkfifo(s.path("m.map").c_str(), 0600), 0);
    for (const char* command : {"info", "render", "export"}) {
        std::vector<std::string> args = {command, s.path("m.map")};
        if (std::string(command) != "info") args.push_back(s.path("o.bmp"));
        const auto r = runBinary(args);
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_TRUE(oneLineContaining(r.err, "通常のファイルではありません")) << r.err;
    }
    // "-" names a file like any other: a map is never read from standard input.
    const auto dash = runBinary({"info", "-"});
    EXPECT_EQ(dash.status, 1);
    EXPECT_TRUE(oneLineContaining(dash.err, "ファイルがありません")) << dash.err;
}

} // namespace
} // namespace tilora::cli::test
