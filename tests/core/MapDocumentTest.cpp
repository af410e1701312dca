// The map document's operations: open, save and save as (line 1, the file, the saved point, the
// sheet an import made), undo and redo.

#include "core/MapDocument.h"
#include "core/EditorState.h"

#include "core/FileIO.h"
#include "core/MapFile.h"
#include "core/MapLoad.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tilora {
namespace {

namespace fs = std::filesystem;

class MapDocumentFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tilora-document-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        fs::create_directories(dir_ / "a");
        fs::create_directories(dir_ / "b");
        std::ofstream(path("a/sea.bmp")) << "sheet";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string read(const std::string& p) {
        auto r = readWholeFile(p);
        return r ? std::string(r->view()) : std::string();
    }
    // What a load of a 10 x 10 map of chip 3 in a/m.map on "sea.bmp" gives.
    LoadedMap loaded() const {
        LoadedMap m;
        m.file = path("a/m.map");
        m.contents = MapContents{"sea.bmp", 10, 10, CellVector(100, 3)};
        m.sheetName = "sea.bmp";
        m.sheetFoundAt = path("a/sea.bmp");
        m.sheetPicture = std::make_shared<const Bitmap>(64, 64);
        return m;
    }

    fs::path dir_;
};

TEST_F(MapDocumentFiles, OpenThenSaveAsElsewhereRenamesTheSheetAndMarksTheMapSaved) {
    MapDocument doc;
    doc.open(loaded());
    EXPECT_EQ(doc.CurrentFileName, path("a/m.map"));
    EXPECT_EQ(doc.MapModified, 0);
    EXPECT_EQ(doc.sheet().width(), 64);

    doc.cell(0, 0) = 5;
    doc.MapModified = 1;
    ASSERT_TRUE(doc.saveAs(path("b/n.map")).ok());
    EXPECT_EQ(doc.CurrentFileName, path("b/n.map"));
    EXPECT_EQ(doc.SheetFileName, "../a/sea.bmp"); // leads to the sheet from the new folder
    EXPECT_EQ(doc.MapModified, 0);
    const auto saved = parseMapFile(read(path("b/n.map")));
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved->sheetPath, "../a/sea.bmp");
    EXPECT_EQ(saved->at(0, 0), 5);

    // A failed save changes nothing: not the file name, not line 1, not the modified flag.
    doc.MapModified = 1;
    EXPECT_FALSE(doc.saveAs(path("none/x.map")).ok());
    EXPECT_EQ(doc.CurrentFileName, path("b/n.map"));
    EXPECT_EQ(doc.SheetFileName, "../a/sea.bmp");
    EXPECT_EQ(doc.MapModified, 1);
    ASSERT_TRUE(doc.save().ok());
    EXPECT_EQ(doc.MapModified, 0);
}

// An import's sheet is written beside the map at the first save, under a name no file has, and
// taken away again when the map itself cannot be written.
TEST_F(MapDocumentFiles, SheetMadeByAnImportIsWrittenBesideTheMapAtTheFirstSave) {
    LoadedMap imported = loaded();
    imported.file.clear();
    imported.sheetName.clear();
    imported.sheetFoundAt.clear();
    imported.modified = true;
    imported.generatedSheetName = "beach";
    MapDocument doc;
    doc.open(imported);
    EXPECT_TRUE(doc.CurrentFileName.empty());
    EXPECT_EQ(doc.MapModified, 1);
    std::vector<std::string> written;
    const SheetFileWriter writer = [&](const std::string& file, const Bitmap& picture) -> Status {
        written.push_back(file);
        std::ofstream(file) << picture.width();
        return Ok{};
    };

    EXPECT_FALSE(doc.save(writer).ok());               // no file yet: only a save as can name one
    EXPECT_FALSE(doc.saveAs(path("b/isle.map")).ok()); // and it needs the writer
    std::ofstream(path("b/isle-beach.png")) << "someone else's";
    fs::create_directories(dir_ / "b/folder.map");
    EXPECT_FALSE(doc.saveAs(path("b/folder.map"), writer).ok());
    EXPECT_FALSE(fs::exists(path("b/folder-beach.png")));
    EXPECT_TRUE(doc.sheetUnwritten());

    ASSERT_TRUE(doc.saveAs(path("b/isle.map"), writer).ok());
    EXPECT_EQ(written.back(), path("b/isle-beach-2.png"));
    EXPECT_EQ(read(path("b/isle-beach.png")), "someone else's");
    EXPECT_EQ(doc.SheetFileName, "isle-beach-2.png");
    EXPECT_EQ(doc.SheetFoundAt, path("b/isle-beach-2.png"));
    EXPECT_FALSE(doc.sheetUnwritten());
    EXPECT_EQ(parseMapFile(read(path("b/isle.map")))->sheetPath, "isle-beach-2.png");
    ASSERT_TRUE(doc.save(writer).ok());
    EXPECT_EQ(written.size(), 2u); // the first refused save and the one that went through
}

TEST(MapDocument, UndoAndRedoTellWhetherTheMapIsBackAtItsFile) {
    EditorState doc;
    doc.startNew(10, 10, 0);
    EXPECT_EQ(doc.MapModified, 1);
    doc.History.markSaved();
    doc.MapModified = 0;
    doc.History.record(0, 0, 4);
    doc.cell(0, 0) = 4;
    doc.History.closeStep();
    doc.MapModified = 1;

    EXPECT_FALSE(doc.undo().empty());
    EXPECT_EQ(doc.cell(0, 0), 0);
    EXPECT_EQ(doc.MapModified, 0);
    EXPECT_FALSE(doc.redo().empty());
    EXPECT_EQ(doc.cell(0, 0), 4);
    EXPECT_EQ(doc.MapModified, 1);
}

} // namespace
} // namespace tilora
