#include "core/Zoom.h"

#include "core/EditorState.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tilora {
namespace {

EditorState mapOf(int width, int height) {
    EditorState s;
    s.MapWidth = width;
    s.MapHeight = height;
    return s;
}

TEST(CellSizeForZoomStep, PowersOfTwoWithinTheSteps) {
    const int sizes[] = {1, 2, 4, 8, 16, 32, 64};
    for (int step = 1; step <= 7; ++step)
        EXPECT_EQ(cellSizeForZoomStep(step), sizes[step - 1]);
    EXPECT_EQ(cellSizeForZoomStep(0), 1);
    EXPECT_EQ(cellSizeForZoomStep(8), 64);
}

TEST(ZoomPick, ClickedCellBecomesTheOriginPulledBackToTheMap) {
    struct Case {
        int step, width, height, viewRow, viewCol, hoverRow, hoverCol;
        int cellSize, row, col;
    };
    const Case cases[] = {
        {7, 100, 100, 0, 0, 2, 3, 64, 2, 3},
        {7, 12, 100, 0, 5, 0, 4, 64, 0, 7}, // map column 9 on a 12-wide map
        {1, 50, 50, 0, 0, 30, 40, 1, 0, 0}, // the whole map fits
        {6, 1000, 1000, 990, 985, 5, 9, 32, 990, 990},
        {7, 5000, 5000, 990, 998, 0, 1, 64, 990, 995}, // never past the grid
        {0, 400, 400, 10, 10, 0, 0, 1, 10, 10},
        {9, 400, 400, 10, 10, 0, 0, 64, 10, 10},
    };
    for (const Case& c : cases) {
        EditorState s = mapOf(c.width, c.height);
        s.ZoomStep = c.step;
        s.ZoomPending = 1;
        s.PenDragActive = 1;
        s.ViewRow = c.viewRow;
        s.ViewCol = c.viewCol;
        s.HoverRow = c.hoverRow;
        s.HoverCol = c.hoverCol;
        applyZoomPick(s, ViewSize{});
        EXPECT_EQ(s.CellSize, c.cellSize) << "step " << c.step;
        EXPECT_EQ(s.ZoomStep, std::clamp(c.step, 1, 7));
        EXPECT_EQ(s.ViewRow, c.row) << "step " << c.step << " map " << c.width;
        EXPECT_EQ(s.ViewCol, c.col) << "step " << c.step << " map " << c.width;
        EXPECT_EQ(s.ZoomPending, 1);
        EXPECT_EQ(s.PenDragActive, 1);
        EXPECT_EQ(s.MapModified, 0);
        EXPECT_EQ(s.HoverRow, c.hoverRow);
        EXPECT_EQ(s.HoverCol, c.hoverCol);
    }
    EXPECT_EQ(cursorFrameSize(1), 5);
    EXPECT_EQ(cursorFrameSize(4), 5);
    EXPECT_EQ(cursorFrameSize(8), 8);
}

// The pull-back as a loop, over views as laid out and larger ones (a view 1000 pixels wide
// shows 15 cells of 64, 31 of 32, ...).
TEST(ZoomPick, AgreesWithTheStepwisePullBack) {
    EditorState s = mapOf(10, 10);
    for (int viewWidth : {320, 1000}) {
        const ViewSize view{viewWidth, ViewPixels};
        for (int step = 1; step <= 7; ++step) {
            for (int width : {10, 12, 50, 319, 320, 321, 1000}) {
                for (int clicked = 0; clicked < width; ++clicked) {
                    s.MapWidth = width;
                    s.ZoomStep = step;
                    s.ViewCol = 0;
                    s.HoverCol = clicked;
                    applyZoomPick(s, view);
                    int col = clicked;
                    while (col + viewWidth / s.CellSize > width && col != 0)
                        --col;
                    ASSERT_EQ(s.ViewCol, col) << "view " << viewWidth << " step " << step
                                              << " width " << width << " at " << clicked;
                }
            }
        }
    }
}

TEST(ZoomButtons, StepWithinOneToSevenAndArmThePick) {
    EditorState s; // ZoomStep 6
    EXPECT_TRUE(zoomIn(s));
    EXPECT_EQ(s.ZoomStep, 7);
    EXPECT_EQ(s.ZoomPending, 1);
    EXPECT_EQ(s.CellSize, 32); // only the pick changes the cell size
    s.ZoomPending = 0;
    EXPECT_FALSE(zoomIn(s));
    EXPECT_EQ(s.ZoomStep, 7);
    EXPECT_EQ(s.ZoomPending, 0);

    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(zoomOut(s));
        applyZoomPick(s, ViewSize{});
        s.ZoomPending = 0;
    }
    EXPECT_EQ(s.ZoomStep, 1);
    EXPECT_EQ(s.CellSize, 1);
    EXPECT_FALSE(zoomOut(s));
    EXPECT_EQ(s.ZoomStep, 1);
    EXPECT_EQ(s.ZoomPending, 0);

    EditorState both; // both buttons before one pick
    EXPECT_TRUE(zoomIn(both));
    EXPECT_TRUE(zoomOut(both));
    EXPECT_EQ(both.ZoomStep, 6);
    EXPECT_EQ(both.ZoomPending, 1);
}

TEST(ViewInsideMap, PullsTheOriginBackAsFarAsTheMapNeeds) {
    struct Case {
        ViewSize view;
        int cellSize, mapWidth, mapHeight, viewCol, viewRow, wantCol, wantRow;
    };
    const Case cases[] = {
        {{}, 32, 40, 40, 3, 2, 3, 2},     // inside already
        {{}, 32, 40, 40, 35, 31, 30, 30}, // past the right and bottom edges
        {{}, 1, 28, 10, 500, 260, 0, 0},  // map smaller than the view
        {{}, 64, 1000, 1000, 999, 996, 995, 995},
        {{640, 480}, 32, 40, 40, 35, 31, 20, 25},   // a larger view: 20 x 15 cells
        {{1000, 700}, 64, 40, 40, 35, 31, 25, 30},  // partial cells do not count: 15 x 10
        {{1920, 1000}, 1, 1000, 1000, 10, 5, 0, 0}, // wider than the grid
    };
    for (const Case& c : cases) {
        EditorState s;
        s.CellSize = c.cellSize;
        s.MapWidth = c.mapWidth;
        s.MapHeight = c.mapHeight;
        s.ViewCol = c.viewCol;
        s.ViewRow = c.viewRow;
        keepViewInsideMap(s, c.view);
        EXPECT_EQ(s.ViewCol, c.wantCol) << c.cellSize << " " << c.viewCol;
        EXPECT_EQ(s.ViewRow, c.wantRow) << c.cellSize << " " << c.viewRow;
    }
}

TEST(SettleViewForRefresh, ResetsUnlessAZoomPickIsPending) {
    const auto scrolled = [](int zoomPending) {
        EditorState s;
        s.MapWidth = s.MapHeight = 100;
        s.CellSize = 8;
        s.ZoomStep = 4;
        s.ViewCol = 70;
        s.ViewRow = 3;
        s.ZoomPending = zoomPending;
        return s;
    };
    EditorState s = scrolled(0);
    EditorState pending = scrolled(1);

    settleViewForRefresh(s, ViewSize{});
    EXPECT_EQ(s.ViewCol, 0);
    EXPECT_EQ(s.ViewRow, 0);
    EXPECT_EQ(s.ZoomStep, DefaultZoomStep);
    EXPECT_EQ(s.CellSize, 8); // the cell size is the zoom pick's to set

    EditorState pendingLarger = scrolled(1);
    settleViewForRefresh(pending, ViewSize{}); // 40 cells of 8 fit: the view ends at the map's edge
    EXPECT_EQ(pending.ViewCol, 60);
    EXPECT_EQ(pending.ViewRow, 3);
    EXPECT_EQ(pending.ZoomStep, 4);
    settleViewForRefresh(pendingLarger, ViewSize{640, 320}); // 80 cells: further back
    EXPECT_EQ(pendingLarger.ViewCol, 20);
}

// The wheel's zoom keeps the map cell under the pointer under it; on a larger view the pointer
// can be further out, and the pull-back uses the larger view's span.
TEST(ZoomAtPixel, KeepsTheCellUnderThePointerOnAnyView) {
    struct Case {
        ViewSize view;
        int cellSize, direction, x, y, viewCol, viewRow;
        int wantSize, wantCol, wantRow;
    };
    const Case cases[] = {
        {{}, 32, 1, 100, 40, 10, 10, 64, 12, 11}, // map cell (11, 13) stays under it
        {{}, 32, -1, 100, 40, 10, 10, 16, 7, 9},
        {{960, 640}, 32, 1, 900, 600, 10, 10, 64, 24, 19}, // cell (28, 38): view cell (9, 14)
        {{960, 640}, 32, -1, 900, 600, 10, 10, 16, 0, 0},  // 60 x 40 cells pulled back to 0
        {{}, 64, 1, 10, 10, 0, 0, 64, 0, 0},               // at the limit: nothing changes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.view.width << " x " << c.view.height << " size "
                                        << c.cellSize << " dir " << c.direction);
        EditorState s = mapOf(100, 100);
        s.CellSize = c.cellSize;
        s.ViewCol = c.viewCol;
        s.ViewRow = c.viewRow;
        const bool changed = zoomAtPixel(s, c.view, c.direction, c.x, c.y);
        EXPECT_EQ(changed, c.wantSize != c.cellSize);
        EXPECT_EQ(s.CellSize, c.wantSize);
        EXPECT_EQ(s.ViewCol, c.wantCol);
        EXPECT_EQ(s.ViewRow, c.wantRow);
    }
}

// The overview's click: the clicked cell at the view's centre, held inside the map.
TEST(CentreViewOn, PutsTheCellInTheMiddleAsFarAsTheMapAllows) {
    struct Case {
        ViewSize view;
        int cellSize, mapWidth, row, col, wantRow, wantCol;
    };
    const Case cases[] = {
        {{}, 32, 100, 50, 50, 45, 45},         // 10 x 10 cells: 5 before the middle
        {{}, 32, 100, 2, 98, 0, 90},           // near the edges: clamped
        {{640, 320}, 16, 100, 50, 50, 40, 30}, // 40 x 20 cells
        {{}, 1, 100, 50, 50, 0, 0},            // the whole map fits
    };
    for (const Case& c : cases) {
        EditorState s = mapOf(c.mapWidth, c.mapWidth);
        s.CellSize = c.cellSize;
        s.ViewCol = s.ViewRow = 7;
        centreViewOn(s, c.view, c.row, c.col);
        EXPECT_EQ(s.ViewRow, c.wantRow) << c.row << ", " << c.col;
        EXPECT_EQ(s.ViewCol, c.wantCol) << c.row << ", " << c.col;
        EXPECT_EQ(s.CellSize, c.cellSize);
    }
}

} // namespace
} // namespace tilora
