// A map whose sheet lies in a folder named in Shift-JIS and has a Latin-1 file name (neither is
// UTF-8, so no Qt string can name them): the editor's load finds and opens it by its bytes.

#include "FileCommandsSupport.h"

#include "core/FileIO.h"
#include "palette/TMapChipWindow.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

namespace tilora::test {
namespace {

TEST(BytePathLoad, SheetInAShiftJisFolderWithALatin1NameLoads) {
    TestApp t;
    const std::string root = t.dir.path().toStdString();
    const std::string folder = root + "/\x95\x5C\x8E\xA6"; // 表示
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const QString utf8Sheet = writeSheetBmp(t.path(QStringLiteral("sheet.bmp")), 128, 96);
    const std::string sheet = folder + "/caf\xE9.bmp";
    ASSERT_EQ(std::rename(utf8Sheet.toStdString().c_str(), sheet.c_str()), 0);

    // The field as a Windows machine wrote it: a relative path, '\' as the separator.
    const MapContents map = files::patternMap("\x95\x5C\x8E\xA6\\caf\xE9.bmp", 12, 9, 12);
    const QString mapPath = t.path(QStringLiteral("level.map"));
    ASSERT_TRUE(saveFileAtomically(mapPath.toStdString(), formatMapFile(map)).ok());
    files::loadThroughMenu(t, mapPath);

    EXPECT_TRUE(t.dialogs.messages.empty()) << t.dialogs.messages.front().text.toStdString();
    EXPECT_EQ(files::heldMap(t).cells, map.cells);
    EXPECT_EQ(t->MapChipWindow->sheet().width(), 128);
    std::filesystem::remove_all(folder); // the temporary folder's clean-up cannot name it
}

} // namespace
} // namespace tilora::test
