// Recovery copies without a screen: where they go, what they record, when the keeper writes and
// removes them, how the lock tells a running editor's copy from an orphan, and what the editor
// does with a map file changed on disk.

#include "core/FileIO.h"
#include "core/MapOnDisk.h"
#include "core/RecoveryKeeper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace tilora {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
    std::string path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tilora-recovery-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path); }
    int count(const std::string& ext) const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(path))
            n += e.path().extension() == ext;
        return n;
    }
};

EditorState paintedState(int chip) {
    EditorState s;
    s.MapWidth = 12;
    s.MapHeight = 10;
    s.SheetFileName = "sheet.bmp";
    s.cell(3, 4) = chip;
    s.MapModified = 1;
    return s;
}

TEST(RecoveryFolder, StateHomeWhenAbsoluteElseHome) {
    struct Row {
        const char* xdg;
        const char* home;
        const char* folder;
    };
    const Row rows[] = {
        {"/st", "/h", "/st/tilora/recovery"},
        {nullptr, "/h", "/h/.local/state/tilora/recovery"},
        {"", "/h", "/h/.local/state/tilora/recovery"},
        {"relative", "/h", "/h/.local/state/tilora/recovery"},
        {nullptr, nullptr, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(recoveryFolder(r.xdg, r.home), r.folder) << (r.xdg ? r.xdg : "(unset)");
}

TEST(RecoveryInfo, AnyBytesReadBackAndDamageIsRefused) {
    const RecoveryInfo info{"/maps/a b\nc,d.map", "", ""};
    const std::string bytes = formatRecoveryInfo(info);
    EXPECT_EQ(parseRecoveryInfo(bytes).value(), info);
    const RecoveryInfo imported{"", "", "isle tiles"};
    EXPECT_EQ(parseRecoveryInfo(formatRecoveryInfo(imported)).value(), imported);
    const std::string hugeCount = "tilora recovery 1\nmap 18446744073709551614 x\n";
    for (const std::string& bad :
         {bytes.substr(0, bytes.size() - 1), bytes + "x", "x" + bytes.substr(1), std::string(),
          hugeCount, bytes + "generated 0 \n", bytes + "generated 1 a\nx"})
        EXPECT_FALSE(parseRecoveryInfo(bad).ok()) << bad;
}

TEST(RecoveryKeeper, WritesAMapFileCopyWhileUnsavedOnlyWhenItChangedAndRemovesItWhenSaved) {
    TempFolder dir;
    RecoveryKeeper keeper(dir.path);
    const RecoveryInfo info{"/maps/level.map", "/maps/sheet.bmp", ""};
    EditorState s = paintedState(7);
    s.MapModified = 0;
    keeper.update(s, info);
    keeper.flush();
    EXPECT_EQ(keeper.writesDone(), 0); // nothing unsaved, nothing written

    s.MapModified = 1;
    keeper.update(s, info);
    keeper.update(s, info); // unchanged: not written again
    keeper.flush();
    EXPECT_EQ(keeper.writesDone(), 1);
    auto orphans = [&] {
        RecoveryKeeper other(dir.path);
        return other.orphans();
    };
    EXPECT_TRUE(orphans().empty()); // this editor runs: its copy is no orphan

    s.cell(0, 0) = 5;
    keeper.update(s, info);
    keeper.flush();
    EXPECT_EQ(keeper.writesDone(), 2);
    ASSERT_EQ(dir.count(".map"), 1);
    for (const auto& e : fs::directory_iterator(dir.path)) {
        if (e.path().extension() != ".map") continue;
        EXPECT_EQ(parseMapFile(readWholeFile(e.path()).value()).value(), mapContentsFromState(s));
    }

    s.MapModified = 0; // saved
    keeper.update(s, info);
    keeper.flush();
    EXPECT_EQ(dir.count(".map") + dir.count(".info"), 0);
}

TEST(RecoveryKeeper, TwoEditorsKeepTheirOwnCopiesAndOnlyADeadOnesCopyIsOfferedThenTakenOrDeleted) {
    TempFolder dir;
    const RecoveryInfo info{"/maps/a.map", "/maps/sheet.bmp", ""};
    auto first = std::make_unique<RecoveryKeeper>(dir.path);
    auto second = std::make_unique<RecoveryKeeper>(dir.path);
    first->update(paintedState(1), info);
    second->update(paintedState(2), {});
    first->flush();
    second->flush();
    EXPECT_EQ(dir.count(".map"), 2);
    EXPECT_TRUE(second->orphans().empty());

    first.reset(); // ended without a clean exit: the copy stays, the lock goes with it
    RecoveryKeeper third(dir.path);
    std::vector<OrphanCopy> found = second->orphans();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(third.orphans().empty()); // held by the editor offering it

    const RecoveredMap copy = found[0].read().value();
    EXPECT_EQ(copy.map, mapContentsFromState(paintedState(1)));
    EXPECT_EQ(copy.info, info);
    ASSERT_TRUE(second->adopt(found[0], copy));
    found.clear();
    EXPECT_EQ(dir.count(".map"), 1);  // the restored copy is the second editor's own now
    EXPECT_EQ(dir.count(".lock"), 1); // the first editor's went with its copy
    EXPECT_TRUE(third.orphans().empty());

    second.reset(); // ended abnormally too; "いいえ" at the next start deletes its copy
    found = third.orphans();
    ASSERT_EQ(found.size(), 1u);
    found[0].discard();
    EXPECT_EQ(dir.count(".map") + dir.count(".info") + dir.count(".lock"), 0);
    EXPECT_TRUE(third.orphans().empty());
}

TEST(MapOnDisk, WhatTheEditorDoesWithItsChangedFile) {
    EditorState s = paintedState(7);
    const MapContents same = mapContentsFromState(s);
    MapContents other = same;
    other.cells[0] = 99;
    struct Row {
        bool exists;
        Result<MapContents> read;
        int modified;
        MapOnDisk expected;
    };
    const Row rows[] = {
        {false, Error{"gone"}, 0, MapOnDisk::Gone},     // deleted or renamed away
        {true, Error{"bad"}, 0, MapOnDisk::Unreadable}, // no map any more
        {true, same, 1, MapOnDisk::Same},               // the editor's own save, say
        {true, other, 0, MapOnDisk::Reload},            // nothing unsaved
        {true, other, 1, MapOnDisk::Ask},               // unsaved changes
    };
    for (const Row& r : rows) {
        s.MapModified = r.modified;
        EXPECT_EQ(judgeMapOnDisk(r.exists, r.read, s), r.expected);
    }
}

} // namespace
} // namespace tilora
