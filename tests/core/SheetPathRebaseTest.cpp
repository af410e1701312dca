// The sheet path a map records when it is saved: line 1 kept while the usual search still finds
// the sheet in use from the map's new folder, else a path that does.

#include "core/SheetPathRebase.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tilora {
namespace {

namespace fs = std::filesystem;

TEST(SheetPathRebase, LineOneKeptWhileItStillFindsTheSheetElseRewritten) {
    const fs::path root =
        fs::temp_directory_path() / ("tilora-rebase-" + std::to_string(::getpid()));
    fs::remove_all(root);
    for (const char* sheet :
         {"a/sea.bmp", "a/tiles/s.bmp", "a/タイル/表.bmp", "b/sea.bmp", "a,1/s.bmp"}) {
        fs::create_directories((root / sheet).parent_path());
        std::ofstream(root / sheet) << sheet;
    }
    fs::create_directories(root / "a/x/y");
    fs::create_directories(root / "c/deep/er");
    fs::create_symlink(root / "c/deep/er", root / "link");
    const std::string abs = (root / "a/sea.bmp").string();
    // "タイル\表.bmp" in code page 932; 表's second byte is a backslash.
    const std::string sjis = "\x83\x5E\x83\x43\x83\x8B\\\x95\x5C.bmp";

    struct Case {
        const char* what;
        std::string written, sheet, map; // sheet and map under root ("" for an unknown sheet)
        std::string recorded;
    };
    const Case cases[] = {
        {"Windows path found beside the map, same folder", "C:\\T\\sea.bmp", "a/sea.bmp", "a/m.map",
         "C:\\T\\sea.bmp"},
        {"Windows path, another folder", "C:\\T\\sea.bmp", "a/sea.bmp", "c/m.map", "../a/sea.bmp"},
        {"Windows path, another folder with its own sea.bmp", "C:\\T\\sea.bmp", "a/sea.bmp",
         "b/m.map", "../a/sea.bmp"},
        {"relative path, subfolder", "tiles/s.bmp", "a/tiles/s.bmp", "a/x/y/m.map",
         "../../tiles/s.bmp"},
        {"code page 932, same folder", sjis, "a/タイル/表.bmp", "a/m.map", sjis},
        {"code page 932, sibling folder", sjis, "a/タイル/表.bmp", "b/m.map", "../a/タイル/表.bmp"},
        {"absolute path", abs, "a/sea.bmp", "b/m.map", abs},
        {"folder reached through a link", "sea.bmp", "a/sea.bmp", "link/m.map", abs},
        {"no line 1 yet", "", "a/sea.bmp", "a/m.map", "sea.bmp"},
        {"sheet unknown", "C:\\T\\sea.bmp", "", "c/m.map", "C:\\T\\sea.bmp"},
        {"sheet gone", "C:\\T\\sea.bmp", "a/gone.bmp", "c/m.map", "C:\\T\\sea.bmp"},
        {"comma on every way", "s.bmp", "a,1/s.bmp", "b/m.map", "s.bmp"},
    };
    for (const Case& c : cases) {
        const std::string sheet = c.sheet.empty() ? "" : (root / c.sheet).string();
        EXPECT_EQ(sheetPathForMap(c.written, sheet, (root / c.map).string()), c.recorded) << c.what;
    }
    fs::remove_all(root);
}

} // namespace
} // namespace tilora
