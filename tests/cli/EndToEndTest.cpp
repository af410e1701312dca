// The real tilora-cli binary: exit statuses, standard output and error, and the files it leaves.

#include "CliTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tilora::cli::test {
namespace {

TEST(EndToEnd, RenderExportImportThroughTheBinary) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    s.writeMap("in.map", makeMap("sheet.bmp", 4, 3, {0, 1, 2, 3, -1}));

    const auto render =
        runBinary({"render", s.path("in.map"), s.path("o.png"), "--cell-size", "8"});
    EXPECT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(render.out, "");
    EXPECT_EQ(QImage(QString::fromStdString(s.path("o.png"))).size(), QSize(32, 24));

    const auto exported = runBinary({"export", s.path("in.map"), s.path("m.tmx")});
    EXPECT_EQ(exported.status, 0);
    EXPECT_TRUE(oneLineContaining(exported.err, "セル 2 個")) << exported.err;
    const auto imported = runBinary({"import", s.path("m.tmx"), s.path("back.map")});
    EXPECT_EQ(imported.status, 0) << imported.err;
    const MapContents back = s.readMap("back.map");
    EXPECT_EQ(back.cells, makeMap("", 4, 3, {0, 1, 2, 3, -1}).cells);

    const auto info = runBinary({"info", s.path("back.map")});
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("cells-off-sheet: 2\n"), std::string::npos) << info.out;
}

TEST(EndToEnd, ExitStatusesOfTheBinary) {
    Scratch s;
    const auto usage = runBinary({"render"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("使い方"), std::string::npos);

    const auto missing = runBinary({"render", s.path("none.map"), s.path("o.bmp")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(oneLineContaining(missing.err, "none.map")) << missing.err;
    EXPECT_FALSE(s.exists("o.bmp"));

    const auto help = runBinary({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("tilora-cli import IN.tmx OUT.map"), std::string::npos);
}

} // namespace
} // namespace tilora::cli::test
