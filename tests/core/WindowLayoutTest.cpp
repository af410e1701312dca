#include "core/WindowLayout.h"

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
        ViewSize view;
        int cellSize, mapW, mapH, viewCol, viewRow;
        int viewW, viewH, imageW, imageH, hMax, vMax, hPos, vPos, cursor;
    };
    const Case cases[] = {
        {{}, 32, 10, 10, 0, 0, 320, 320, 320, 320, 0, 0, 0, 0, 32},    // exactly the view
        {{}, 16, 12, 30, 0, 4, 320, 320, 192, 320, 0, 160, 0, 64, 16}, // narrow: cut, tall: a bar
        {{}, 2, 1000, 100, 40, 0, 320, 320, 320, 200, 1680, 0, 80, 0, 5}, // small cells: cursor 5
        {{}, 64, 10, 10, 5, 5, 320, 320, 320, 320, 320, 320, 320, 320, 64},
        // Larger views: whole cells only, the bars' ranges shrink by what the view gained.
        {{1000, 700}, 64, 100, 100, 3, 1, 960, 640, 960, 640, 5440, 5760, 192, 64, 64},
        {{1000, 700}, 32, 30, 100, 0, 0, 992, 672, 960, 672, 0, 2528, 0, 0, 32},
        {{1920, 1000}, 1, 1000, 1000, 0, 0, 1920, 1000, 1000, 1000, 0, 0, 0, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.view.width << " x " << c.view.height << " at "
                                        << c.cellSize << ": " << c.mapW << " x " << c.mapH);
        EditorState s;
        s.CellSize = c.cellSize;
        s.MapWidth = c.mapW;
        s.MapHeight = c.mapH;
        s.ViewCol = c.viewCol;
        s.ViewRow = c.viewRow;
        const MapViewLayout l = mapViewLayout(s, c.view);
        EXPECT_EQ(l.viewWidth, c.viewW);
        EXPECT_EQ(l.viewHeight, c.viewH);
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

} // namespace
} // namespace tilora
