#include "core/ViewSize.h"
#include "core/GridLines.h"

#include <gtest/gtest.h>

#include <vector>

namespace tilora {
namespace {

TEST(ViewSize, TheRoomHeldBetweenTheLaidOutViewAndTheScreen) {
    struct Case {
        int w, h;
        ViewSize largest, want;
    };
    const Case cases[] = {
        {320, 320, {1904, 1000}, {320, 320}},     // as laid out
        {200, 100, {1904, 1000}, {320, 320}},     // never smaller
        {1300, 700, {1904, 1000}, {1300, 700}},   // larger, as dragged
        {3000, 2000, {1904, 1000}, {1904, 1000}}, // never beyond the screen
        {500, 500, {300, 200}, {320, 320}},       // a screen too small keeps the laid-out view
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewSizeForRoom(c.w, c.h, c.largest), c.want) << c.w << " x " << c.h;
}

TEST(ViewSize, ShowsTheWholeCellsThatFit) {
    const ViewSize laidOut;
    const ViewSize larger{1000, 700};
    for (int size : {1, 2, 4, 8, 16, 32, 64}) {
        EXPECT_EQ(laidOut.pixelWidth(size), 320) << size; // every cell size fills it exactly
        EXPECT_EQ(laidOut.pixelHeight(size), 320) << size;
        EXPECT_LE(larger.pixelWidth(size), 1000);
        EXPECT_GT(larger.pixelWidth(size) + size, 1000) << size; // no whole cell more would fit
        EXPECT_EQ(larger.pixelWidth(size) % size, 0);
    }
    EXPECT_EQ(larger.columns(64), 15);
    EXPECT_EQ(larger.rows(64), 10);
}

TEST(ViewSize, PixelToCellHeldInsideTheView) {
    struct Case {
        ViewSize view;
        int cellSize, x, y;
        ViewCell want;
    };
    const Case cases[] = {
        {{}, 32, 32, 32, {0, 0}}, // a cell's far edge still belongs to it
        {{}, 32, 33, 32, {0, 1}},
        {{}, 1, 1, 0, {0, 0}},
        {{}, 32, 400, -5, {0, 9}},            // beyond the view: its last column
        {{960, 640}, 32, 900, 600, {18, 28}}, // only a larger view has these cells
        {{960, 640}, 64, 5000, 5000, {9, 14}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewCellAt(c.view, c.cellSize, c.x, c.y), c.want) << c.x << ", " << c.y;
}

TEST(GridLines, EveryCellFromEightPixelsStrongEveryTenMapCells) {
    EXPECT_TRUE(gridLines(0, 80, 4).empty()); // too small to show a grid
    const std::vector<GridLine> lines = gridLines(7, 5, 8);
    const std::vector<GridLine> want = {
        {0, false}, {8, false}, {16, false}, {24, true}, {32, false}}; // map column 10 is strong
    EXPECT_EQ(lines, want);
    int strong = 0;
    for (const GridLine& l : gridLines(0, 40, 16))
        strong += l.strong;
    EXPECT_EQ(strong, 4);
}

} // namespace
} // namespace tilora
