// The one load pipeline: where each refusal comes from, what a load gives, and the sheets kept
// between loads.

#include "core/MapLoad.h"

#include "SheetImageTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tilora {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class MapLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tilora-mapload-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        fs::create_directories(dir_ / "maps");
        fs::create_directories(dir_ / "sheets");
        sheet("maps/good.bmp", 64, 64);
        sheet("maps/strip.bmp", 64, 16); // lower than a chip
        sheet("sheets/other.bmp", 96, 32);
        write("maps/junk.bmp", "not a picture");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    void sheet(const std::string& name, int width, int height) const {
        write(name, test::bmpBytes(Bitmap(width, height), {}));
    }
    // A 2 x 1 map on the sheet `line1`.
    std::string map(const std::string& line1) const {
        write("maps/m.map", line1 + ",\r\n2,\r\n1,\r\n0,1,\r\n");
        return path("maps/m.map");
    }

    fs::path dir_;
};

TEST_F(MapLoad, EachStageRefusesWithItsReason) {
    fs::create_directories(dir_ / "maps/folder.map");
    write("maps/bad.map", "x.bmp,\r\nabc,\r\n1,\r\n");
    const auto refuseAll = [](const MapContents&) -> Status { return Error{"too large"}; };
    struct Case {
        const char* what;
        std::string file; // "": the map naming `line1`
        std::string line1;
        MapLoadOptions options;
        LoadStage stage;
        const char* reason;
    };
    const auto use = [](SheetUse sheet, std::string instead = {}) {
        MapLoadOptions o;
        o.sheet = sheet;
        o.sheetInstead = std::move(instead);
        return o;
    };
    MapLoadOptions checked;
    checked.check = refuseAll;
    const Case cases[] = {
        {"no file", path("maps/none.map"), "", {}, LoadStage::Read, "ファイルがありません"},
        {"a folder", path("maps/folder.map"), "", {}, LoadStage::Read, "フォルダーです"},
        {"not a map", path("maps/bad.map"), "", {}, LoadStage::Parse, "2行目"},
        {"the caller's check", "", "good.bmp", checked, LoadStage::Check, "too large"},
        {"sheet not found",
         "",
         "C:\\gone\\sea.bmp",
         {},
         LoadStage::FindSheet,
         "チップ画像が見つかりません：C:\\gone\\sea.bmp"},
        {"sheet not a picture",
         "",
         "junk.bmp",
         {},
         LoadStage::LoadSheet,
         "ビットマップを読み込めません"},
        // The one sheet rule: no whole chip, in every use of the pipeline.
        {"sheet 64 x 16", "", "strip.bmp", {}, LoadStage::LoadSheet, "小さすぎます（64×16ドット"},
        {"sheet instead, 64 x 16", "", "gone.bmp", use(SheetUse::Picture, path("maps/strip.bmp")),
         LoadStage::LoadSheet, "小さすぎます（64×16ドット"},
    };
    for (const Case& c : cases) {
        const std::string file = c.file.empty() ? map(c.line1) : c.file;
        const auto loaded = loadMap(file, c.options);
        ASSERT_FALSE(loaded.ok()) << c.what;
        EXPECT_EQ(loaded.error().stage, c.stage) << c.what;
        EXPECT_THAT(loaded.error().message, HasSubstr(c.reason)) << c.what;
        if (c.stage == LoadStage::FindSheet) {
            EXPECT_EQ(loaded.error().sheetPath, c.line1);
        }
        // Counting the cells refuses at the same stage in the same words.
        MapLoadOptions counting = c.options;
        counting.countOnly = true;
        const auto counted = loadMap(file, counting);
        ASSERT_FALSE(counted.ok()) << c.what;
        EXPECT_EQ(counted.error().stage, loaded.error().stage) << c.what;
        EXPECT_EQ(counted.error().message, loaded.error().message) << c.what;
    }
    // Rows that are not a map come before a refused check or a missing sheet, counting or not.
    write("maps/badrows.map", "gone.bmp,\r\n2,\r\n1,\r\n0,x,\r\n");
    for (bool countOnly : {false, true}) {
        MapLoadOptions o = checked;
        o.countOnly = countOnly;
        const auto loaded = loadMap(path("maps/badrows.map"), o);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.error().stage, LoadStage::Parse) << countOnly;
    }
    // Where only the sheet's size is wanted, a sheet not found or refused is told, not refused.
    for (const auto& [line1, stage] : {std::pair{"gone.bmp", LoadStage::FindSheet},
                                       std::pair{"strip.bmp", LoadStage::LoadSheet}}) {
        const auto loaded = loadMap(map(line1), use(SheetUse::Header));
        ASSERT_TRUE(loaded.ok()) << line1;
        ASSERT_TRUE(loaded->sheetProblem.has_value());
        EXPECT_EQ(loaded->sheetProblem->stage, stage);
        EXPECT_EQ(loaded->contents.cells, (CellVector{0, 1}));
    }
}

TEST_F(MapLoad, LoadsTheMapWithItsSheetOrTheOneGivenInstead) {
    const auto plain = loadMap(map("C:\\tiles\\good.bmp")); // found beside the map by name
    ASSERT_TRUE(plain.ok()) << plain.error().message;
    EXPECT_EQ(plain->file, path("maps/m.map"));
    EXPECT_EQ(plain->sheetName, "C:\\tiles\\good.bmp");
    EXPECT_EQ(plain->sheetFoundAt, path("maps/good.bmp"));
    EXPECT_EQ(plain->sheetPicture->width(), 64);
    EXPECT_FALSE(plain->modified);

    MapLoadOptions instead;
    instead.sheetInstead = path("sheets/other.bmp");
    const auto other = loadMap(map("C:\\tiles\\gone.bmp"), instead);
    ASSERT_TRUE(other.ok()) << other.error().message;
    EXPECT_EQ(other->contents.sheetPath, "C:\\tiles\\gone.bmp");
    EXPECT_EQ(other->sheetName, "../sheets/other.bmp"); // found again from the map's folder
    EXPECT_EQ(other->sheetSize, (ImageSize{96, 32}));
    EXPECT_TRUE(other->modified);

    instead.sheet = SheetUse::Header;
    const auto header = loadMap(map("good.bmp"), instead); // its own sheet comes first
    ASSERT_TRUE(header.ok());
    EXPECT_EQ(header->sheetSize, (ImageSize{64, 64}));
    EXPECT_EQ(header->sheetPicture, nullptr);
    EXPECT_FALSE(header->modified);
}

// The sheet kept for the next map of a batch is released before another sheet is decoded, so
// two large sheets are never in memory together: here the second decode fails, and the first
// sheet is gone all the same.
TEST_F(MapLoad, TheCachedSheetIsReleasedBeforeTheNextIsDecoded) {
    SheetCache cache;
    MapLoadOptions options;
    options.cache = &cache;
    std::weak_ptr<const Bitmap> first;
    {
        const auto loaded = loadMap(map("good.bmp"), options);
        ASSERT_TRUE(loaded.ok());
        first = loaded->sheetPicture;
        const auto again = loadMap(map("good.bmp"), options);
        EXPECT_EQ(again->sheetPicture.get(), loaded->sheetPicture.get()); // decoded once
    }
    ASSERT_FALSE(first.expired()); // kept for a next map on the same sheet
    EXPECT_FALSE(loadMap(map("junk.bmp"), options).ok());
    EXPECT_TRUE(first.expired());
}

} // namespace
} // namespace tilora
