// The sheet path a map records when it is saved into another folder.

#include "core/SheetPathRebase.h"

#include <gtest/gtest.h>

namespace tilora {
namespace {

struct RebaseCase {
    const char* what;
    std::string written, sheetFile, fromFolder, toFolder;
    std::string recorded;
};

TEST(SheetPathRebase, RelativePathsFollowTheMapOthersStayByteForByte) {
    // "タイル\表.bmp" in code page 932; 表's second byte is a backslash.
    const std::string sjis = "\x83\x5E\x83\x43\x83\x8B\\\x95\x5C.bmp";
    const RebaseCase cases[] = {
        {"drive path", "C:\\Tilora\\sheet.bmp", "/m/a/sheet.bmp", "/m/a", "/m/b",
         "C:\\Tilora\\sheet.bmp"},
        {"network path", "\\\\srv\\t\\s.bmp", "/m/a/s.bmp", "/m/a", "/m/b", "\\\\srv\\t\\s.bmp"},
        {"absolute path", "/srv/t/s.bmp", "/srv/t/s.bmp", "/m/a", "/m/b", "/srv/t/s.bmp"},
        {"same folder", sjis, "/m/a/タイル/表.bmp", "/m/a", "/m/./a/", sjis},
        {"sibling folder", sjis, "/m/a/タイル/表.bmp", "/m/a", "/m/b", "../a/タイル/表.bmp"},
        {"subfolder", "s.bmp", "/m/a/s.bmp", "/m/a", "/m/a/x/y", "../../s.bmp"},
        {"parent folder", "../t/s.bmp", "/m/t/s.bmp", "/m/a", "/m", "t/s.bmp"},
        {"dotted target", "s.bmp", "/m/a/s.bmp", "/m/a", "/m/a/../b", "../a/s.bmp"},
        {"root", "s.bmp", "/m/a/s.bmp", "/m/a", "/", "m/a/s.bmp"},
        {"unsaved map", "s.bmp", "/m/a/s.bmp", "", "/m/b", "s.bmp"},
        {"sheet unknown", "s.bmp", "", "/m/a", "/m/b", "s.bmp"},
        {"comma on the way", "s.bmp", "/m/a,1/s.bmp", "/m/a,1", "/m/b", "s.bmp"},
        {"empty", "", "/m/a/s.bmp", "/m/a", "/m/b", ""},
    };
    for (const RebaseCase& c : cases) {
        EXPECT_EQ(rebaseSheetPath(c.written, c.sheetFile, c.fromFolder, c.toFolder), c.recorded)
            << c.what;
    }
}

} // namespace
} // namespace tilora
