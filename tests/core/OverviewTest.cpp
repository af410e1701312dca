#include "core/Overview.h"

#include "core/EditorState.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace tilora {
namespace {

// A sheet of 4 chips a row, 2 rows, each chip one solid colour: chip k is 0xFF0000k0 + k.
Bitmap solidSheet() {
    Bitmap sheet(4 * ChipPixels, 2 * ChipPixels);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            sheet.setPixel(x, y, 0xFF000000u | Pixel((y / 32) * 4 + x / 32) * 0x10101u);
    return sheet;
}

Pixel chipColour(int k) {
    return 0xFF000000u | Pixel(k) * 0x10101u;
}

std::unique_ptr<EditorState> mapOf(int width, int height, unsigned seed) {
    auto s = std::make_unique<EditorState>();
    s->MapWidth = width;
    s->MapHeight = height;
    s->SheetColumns = 4;
    std::mt19937 rng(seed);
    for (auto& c : s->MapCells)
        c = std::int32_t(rng() % 10) - 1; // chips 0..7, and -1 and 8 which the sheet lacks
    return s;
}

TEST(OverviewScale, FitsTheMapIn256AsLargeAsItCan) {
    struct Case {
        int w, h;
        OverviewScale scale;
        int pictureW, pictureH;
    };
    const Case cases[] = {
        {10, 10, {25, 1}, 250, 250},                                  // 25 pixels a cell
        {128, 20, {2, 1}, 256, 40},     {256, 256, {1, 1}, 256, 256}, // one pixel a cell
        {257, 10, {1, 2}, 129, 5},                                    // two cells a side to a pixel
        {1000, 1000, {1, 4}, 250, 250}, {1000, 10, {1, 4}, 250, 3},   // a partial pixel at the edge
    };
    for (const Case& c : cases) {
        const OverviewScale s = OverviewScale::forMap(c.w, c.h);
        EXPECT_EQ(s, c.scale) << c.w << " x " << c.h;
        EXPECT_EQ(s.pictureSide(c.w), c.pictureW) << c.w << " x " << c.h;
        EXPECT_EQ(s.pictureSide(c.h), c.pictureH) << c.w << " x " << c.h;
    }
}

TEST(Overview, CellsInTheirChipsAverageColourAndBlocksAveraged) {
    const Bitmap sheet = solidSheet();
    Overview o;
    o.setSheet(&sheet, 4);
    EXPECT_EQ(o.colours().colour(5), chipColour(5));
    EXPECT_EQ(o.colours().colour(8), o.colours().neutral()); // past the sheet's last chip
    EXPECT_EQ(o.colours().colour(-1), o.colours().neutral());

    auto small = mapOf(10, 10, 1);
    small->cell(3, 4) = 6;
    o.rebuild(*small);
    for (int y = 75; y < 100; ++y)
        for (int x = 100; x < 125; ++x)
            ASSERT_EQ(o.picture().pixel(x, y), chipColour(6)) << x << ", " << y;

    // 4 x 4 cells to a pixel: a block of half chip 2 and half chip 6 averages to chip 4's grey.
    auto large = mapOf(1000, 1000, 2);
    for (int r = 8; r < 12; ++r)
        for (int c = 0; c < 4; ++c)
            large->cell(r, c) = c < 2 ? 2 : 6;
    o.rebuild(*large);
    EXPECT_EQ(o.picture().pixel(0, 2), chipColour(4));
}

// An update after a change draws what a rebuild would draw, and says where.
TEST(Overview, UpdateRepaintsOnlyWhatChangedAndMatchesARebuild) {
    const Bitmap sheet = solidSheet();
    for (int side : {10, 200, 1000}) {
        SCOPED_TRACE(side);
        auto s = mapOf(side, side, 3);
        Overview o;
        o.setSheet(&sheet, 4);
        o.rebuild(*s);
        const Bitmap before = o.picture();
        UndoHistory h;
        (void)h.takeTouched();
        for (int r = 5; r < 8; ++r) {
            for (int c = 6; c < 9; ++c) {
                const auto i = std::size_t(r) * GridSide + c;
                h.record(i, s->MapCells[i], 7);
                s->MapCells[i] = 7;
            }
        }
        const Rect changed = o.update(*s, h.takeTouched());
        Overview fresh;
        fresh.setSheet(&sheet, 4);
        fresh.rebuild(*s);
        ASSERT_EQ(o.picture(), fresh.picture());
        const OverviewScale sc = o.scale();
        EXPECT_EQ(changed.x, sc.pixelOf(6 / sc.cells * sc.cells));
        EXPECT_EQ(changed.y, sc.pixelOf(5 / sc.cells * sc.cells));
        for (int y = 0; y < before.height(); ++y) {
            for (int x = 0; x < before.width(); ++x) {
                const bool inside = x >= changed.x && x < changed.x + changed.w && y >= changed.y &&
                                    y < changed.y + changed.h;
                if (!inside) {
                    ASSERT_EQ(o.picture().pixel(x, y), before.pixel(x, y));
                }
            }
        }
        EXPECT_TRUE(h.takeTouched().empty()); // taken: nothing more to follow
    }
}

TEST(Overview, ViewRectangleAndTheCellUnderAPixel) {
    Overview o;
    auto s = mapOf(1000, 500, 4);
    o.rebuild(*s); // 4 cells a pixel: 250 x 125
    s->CellSize = 32;
    s->ViewCol = 100;
    s->ViewRow = 40;
    EXPECT_EQ(o.viewRect(*s, ViewSize{}), (Rect{25, 10, 3, 3}));           // 10 x 10 cells
    EXPECT_EQ(o.viewRect(*s, ViewSize{1280, 960}), (Rect{25, 10, 10, 8})); // 40 x 30 cells
    s->ViewCol = 990;                                                      // cut at the map's edge
    EXPECT_EQ(o.viewRect(*s, ViewSize{}).w, 3);
    EXPECT_EQ(o.cellAt(25, 10).col, 102); // a pixel's middle cell
    EXPECT_EQ(o.cellAt(25, 10).row, 42);
    EXPECT_EQ(o.cellAt(400, -3).col, 999); // held inside the map
    EXPECT_EQ(o.cellAt(400, -3).row, 2);

    auto small = mapOf(10, 20, 5);
    o.rebuild(*small); // 12 pixels a cell
    EXPECT_EQ(o.cellAt(30, 239).col, 2);
    EXPECT_EQ(o.cellAt(30, 239).row, 19);
}

} // namespace
} // namespace tilora
