#include "core/WindowLayout.h"
#include "core/NewMap.h"
#include "core/Zoom.h"

#include <gtest/gtest.h>

namespace tilora {
namespace {

TEST(ChipWindowLayout, BarsOnlyWhereTheSheetOutgrowsTheViewport) {
    struct Case {
        int w, h;
        int clientW, clientH;
        bool vBar, hBar;
        int vMax, hMax, vLeft, hTop;
    };
    const Case cases[] = {
        {256, 96, 256, 96, false, false, 0, 0, 320, 320},    // fits: the sheet itself
        {320, 320, 320, 320, false, false, 0, 0, 320, 320},  // exactly the viewport
        {128, 640, 144, 320, true, false, 320, 0, 128, 320}, // taller: bar beside the sheet
        {480, 64, 320, 81, false, true, 0, 160, 320, 64},    // wider: bar under the sheet
        {512, 400, 336, 337, true, true, 80, 192, 320, 320}, // both: viewport and two bars
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        const ChipWindowLayout l = chipWindowLayout(c.w, c.h);
        EXPECT_EQ(l.clientWidth, c.clientW);
        EXPECT_EQ(l.clientHeight, c.clientH);
        EXPECT_EQ(l.verticalBar, c.vBar);
        EXPECT_EQ(l.horizontalBar, c.hBar);
        EXPECT_EQ(l.verticalMax, c.vMax);
        EXPECT_EQ(l.horizontalMax, c.hMax);
        EXPECT_EQ(l.verticalBarLeft, c.vLeft);
        EXPECT_EQ(l.horizontalBarTop, c.hTop);
    }
}

TEST(MapViewLayout, ViewCutToSmallMapsAndBarsOverLargeOnes) {
    struct Case {
        int cellSize, mapW, mapH, viewCol, viewRow;
        int imageW, imageH, hMax, vMax, hPos, vPos, cursor;
    };
    const Case cases[] = {
        {32, 10, 10, 0, 0, 320, 320, 0, 0, 0, 0, 32},       // exactly the view
        {16, 12, 30, 0, 4, 192, 320, 0, 160, 0, 64, 16},    // narrow: cut, tall: a bar
        {2, 1000, 100, 40, 0, 320, 200, 1680, 0, 80, 0, 5}, // small cells: cursor held at 5
        {64, 10, 10, 5, 5, 320, 320, 320, 320, 320, 320, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cellSize << ": " << c.mapW << " x " << c.mapH);
        EditorState s;
        s.CellSize = c.cellSize;
        s.MapWidth = c.mapW;
        s.MapHeight = c.mapH;
        s.ViewCol = c.viewCol;
        s.ViewRow = c.viewRow;
        const MapViewLayout l = mapViewLayout(s);
        EXPECT_EQ(l.imageWidth, c.imageW);
        EXPECT_EQ(l.imageHeight, c.imageH);
        EXPECT_EQ(l.horizontalBar, c.hMax > 0);
        EXPECT_EQ(l.verticalBar, c.vMax > 0);
        EXPECT_EQ(l.horizontalMax, c.hMax);
        EXPECT_EQ(l.verticalMax, c.vMax);
        EXPECT_EQ(l.horizontalPosition, c.hPos);
        EXPECT_EQ(l.verticalPosition, c.vPos);
        EXPECT_EQ(l.arrowStep, c.cellSize);
        EXPECT_EQ(l.pageStep, 2 * c.cellSize);
        EXPECT_EQ(l.cursorSide, c.cursor);
    }
}

TEST(SettleViewForRefresh, ResetsUnlessAZoomPickIsPending) {
    EditorState s;
    s.MapWidth = s.MapHeight = 100;
    s.CellSize = 8;
    s.ZoomStep = 4;
    s.ViewCol = 70;
    s.ViewRow = 3;
    EditorState pending = s;
    pending.ZoomPending = 1;

    settleViewForRefresh(s);
    EXPECT_EQ(s.ViewCol, 0);
    EXPECT_EQ(s.ViewRow, 0);
    EXPECT_EQ(s.ZoomStep, DefaultZoomStep);
    EXPECT_EQ(s.CellSize, 8); // the cell size is the zoom pick's to set

    settleViewForRefresh(pending); // 40 cells of 8 fit: the view ends at the map's edge
    EXPECT_EQ(pending.ViewCol, 60);
    EXPECT_EQ(pending.ViewRow, 3);
    EXPECT_EQ(pending.ZoomStep, 4);
}

TEST(StartNewMap, FillsOnlyTheMapRectangleAndClearsTheStamps) {
    EditorState s;
    s.cell(0, 20) = 9; // beyond the new map: kept
    s.StampBanks[5] = 3;
    s.CurrentChip = 7;
    startNewMap(s, 20, 12);
    EXPECT_EQ(s.MapWidth, 20);
    EXPECT_EQ(s.MapHeight, 12);
    EXPECT_EQ(s.cell(0, 0), 7);
    EXPECT_EQ(s.cell(11, 19), 7);
    EXPECT_EQ(s.cell(12, 0), 0);
    EXPECT_EQ(s.cell(0, 20), 9);
    EXPECT_EQ(s.StampBanks[5], 0);
}

} // namespace
} // namespace tilora
