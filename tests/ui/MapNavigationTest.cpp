// The map window's navigation: scrolling the view over the map and the cell cursor.

#include "TestApp.h"

#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/RefreshMapView.h"
#include "shell/TMainWindow.h"

#include <QAction>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace tilora::test {
namespace {

// Chip of map cell (row, col): neighbours differ in both directions.
int chipAt(int row, int col) {
    return (row * 31 + col * 7) % 100;
}

// A map on a 320 x 320 sheet (100 chips), the map window's bars set up for it as the full
// refresh leaves them, and the view drawn from (0, 0).
struct MapView {
    TestApp t;
    TMapWindow& w = *t->MapWindow;

    MapView(int width, int height, int cellSize) {
        t->setSheet(makeSheet(320, 320));
        EditorState& s = t.state();
        s.MapWidth = width;
        s.MapHeight = height;
        s.CellSize = cellSize;
        s.SheetColumns = 10;
        for (int r = 0; r < GridSide; ++r) {
            for (int c = 0; c < GridSide; ++c)
                s.cell(r, c) = chipAt(r, c);
        }
        for (auto [bar, cells] :
             {std::pair{w.ScrollBar2, width}, std::pair{w.ScrollBar1, height}}) {
            bar->setSingleStep(cellSize);
            bar->setPageStep(2 * cellSize);
            if (cells * cellSize > ViewPixels) {
                bar->setMaximum(cells * cellSize - ViewPixels);
                bar->show();
            }
        }
        w.Shape1->resize(cellSize, cellSize);
        w.redrawView();
        w.show();
    }

    EditorState& state() { return t.state(); }

    // The first view pixel whose colour is not its map cell's chip, or "" when all match.
    std::string viewMismatch() {
        const EditorState& s = state();
        const Bitmap& view = w.Image1->bitmap();
        for (int y = 0; y < ViewPixels; ++y) {
            for (int x = 0; x < ViewPixels; ++x) {
                const int chip = chipAt(s.ViewRow + y / s.CellSize, s.ViewCol + x / s.CellSize);
                if (view.pixel(x, y) != chipColour(chip)) {
                    return "pixel " + std::to_string(x) + "," + std::to_string(y);
                }
            }
        }
        return "";
    }

    // A thumb drag to `position`.
    static void drag(QScrollBar* bar, int position) {
        bar->setSliderDown(true);
        bar->setSliderPosition(position);
        bar->triggerAction(QAbstractSlider::SliderMove);
        bar->setSliderDown(false);
    }
};

TEST(MapNavigation, WindowAsLaidOut) {
    TestApp t;
    TMapWindow& w = *t->MapWindow;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("マップウィンドウ"));
    EXPECT_EQ(w.windowType(), Qt::Tool);
    EXPECT_EQ(w.size(), QSize(339, 343));
    EXPECT_EQ(w.Image1->geometry(), QRect(0, 0, 320, 320));
    EXPECT_EQ(w.Image1->bitmap().width(), 320);
    EXPECT_TRUE(w.Image1->hasMouseTracking());
    EXPECT_EQ(w.Shape1->geometry(), QRect(0, 0, 32, 32));
    EXPECT_EQ(w.Shape1->shape(), ShapeWidget::Shape::RoundSquare);
    EXPECT_EQ(w.Shape1->penWidth(), 2);
    EXPECT_EQ(w.ScrollBar1->geometry(), QRect(323, 4, 16, 317));
    EXPECT_EQ(w.ScrollBar2->geometry(), QRect(0, 324, 321, 17));
    for (QScrollBar* bar : {w.ScrollBar1, w.ScrollBar2}) {
        EXPECT_TRUE(bar->isHidden());
        EXPECT_EQ(bar->singleStep(), 32);
        EXPECT_EQ(bar->pageStep(), 64);
        EXPECT_EQ(bar->contextMenuPolicy(), Qt::NoContextMenu);
    }
    const QObjectList& kids = w.children();
    EXPECT_LT(kids.indexOf(w.Image1), kids.indexOf(w.Shape1));
    EXPECT_LT(kids.indexOf(w.Shape1), kids.indexOf(w.ScrollBar1));
}

TEST(MapNavigation, CursorFollowsThePointerCellByCell) {
    struct Case {
        int cellSize, x, y, col, row;
    };
    const Case cases[] = {
        {32, 32, 32, 0, 0}, {32, 33, 32, 1, 0},   {32, 32, 33, 0, 1}, {32, 319, 319, 9, 9},
        {1, 0, 0, 0, 0},    {1, 1, 1, 0, 0},      {1, 2, 1, 1, 0},    {1, 319, 2, 318, 1},
        {64, 64, 65, 0, 1}, {64, 128, 129, 1, 2}, {16, 17, 16, 1, 0},
    };
    for (const Case& c : cases) {
        MapView v(1000, 1000, c.cellSize);
        // After a zoom pick the cursor may be larger than the cell; tracking keeps its size.
        v.w.Shape1->resize(5, 5);
        movePointer(v.w.Image1, c.x, c.y);
        SCOPED_TRACE(testing::Message() << "size " << c.cellSize << " at " << c.x << "," << c.y);
        EXPECT_EQ(v.state().HoverCol, c.col);
        EXPECT_EQ(v.state().HoverRow, c.row);
        EXPECT_EQ(v.w.Shape1->geometry(), QRect(c.col * c.cellSize, c.row * c.cellSize, 5, 5));
    }
}

TEST(MapNavigation, ThumbPositionIsTruncatedToTheCellThatHoldsIt) {
    for (auto [cellSize, col] : {std::pair{32, 3}, std::pair{64, 1}, std::pair{1, 100}}) {
        MapView v(1000, 1000, cellSize);
        MapView::drag(v.w.ScrollBar2, 100);
        EXPECT_EQ(v.state().ViewCol, col) << cellSize;
        EXPECT_EQ(v.w.ScrollBar2->value(), 100) << cellSize; // the position is not snapped
        EXPECT_EQ(v.viewMismatch(), "") << cellSize;
    }
}

TEST(MapNavigation, WidestMapAtCellSizeOneReachesItsLastColumns) {
    MapView v(1000, 1000, 1);
    ASSERT_EQ(v.w.ScrollBar2->maximum(), 680);
    MapView::drag(v.w.ScrollBar2, 900); // past the end: the bar holds it at its maximum
    EXPECT_EQ(v.state().ViewCol, 680);
    EXPECT_EQ(v.state().ViewRow, 0);
    EXPECT_EQ(v.viewMismatch(), "");
    // The right-most view column is map column 999.
    EXPECT_EQ(v.w.Image1->bitmap().pixel(319, 0), chipColour(chipAt(0, 999)));

    MapView::drag(v.w.ScrollBar1, 680);
    EXPECT_EQ(v.state().ViewRow, 680);
    EXPECT_EQ(v.state().ViewCol, 680);
    EXPECT_EQ(v.viewMismatch(), "");
}

TEST(MapNavigation, EveryKindOfScrollMovesTheView) {
    MapView v(100, 100, 32);
    QScrollBar* bar = v.w.ScrollBar2;
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(v.state().ViewCol, 1);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(v.state().ViewCol, 3);
    EXPECT_EQ(v.viewMismatch(), "");

    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(bar, &right);
    EXPECT_EQ(bar->value(), 4 * 32);
    EXPECT_EQ(v.state().ViewCol, 4);

    QWheelEvent wheel(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_NE(bar->value(), 4 * 32);
    EXPECT_EQ(v.state().ViewCol, bar->value() / 32);
    EXPECT_EQ(v.viewMismatch(), "");

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(v.state().ViewCol, 0);
    EXPECT_EQ(v.viewMismatch(), "");
}

TEST(MapNavigation, ScrollingOneBarLeavesTheOtherCoordinateAndTheCursor) {
    MapView v(200, 200, 16);
    MapView::drag(v.w.ScrollBar2, 48);
    movePointer(v.w.Image1, 50, 70); // cell (3, 4)
    const QRect cursor = v.w.Shape1->geometry();

    v.w.ScrollBar1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(v.state().ViewRow, 2);
    EXPECT_EQ(v.state().ViewCol, 3);
    EXPECT_EQ(v.state().HoverCol, 3);
    EXPECT_EQ(v.state().HoverRow, 4);
    EXPECT_EQ(v.w.Shape1->geometry(), cursor);
    EXPECT_EQ(v.viewMismatch(), "");
}

TEST(MapNavigation, PositionsSetFromCodeDoNotScroll) {
    MapView v(1000, 1000, 32);
    const Bitmap before = v.w.Image1->bitmap();
    v.w.setBarPosition(v.w.ScrollBar2, 320);
    v.w.setBarPosition(v.w.ScrollBar1, 640);
    EXPECT_EQ(v.w.ScrollBar2->value(), 320);
    EXPECT_EQ(v.state().ViewCol, 0);
    EXPECT_EQ(v.state().ViewRow, 0);
    EXPECT_TRUE(v.w.Image1->bitmap() == before);

    // The next user scroll starts from the position set.
    v.w.ScrollBar2->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(v.state().ViewCol, 11);
    EXPECT_EQ(v.state().ViewRow, 0);
}

TEST(MapNavigation, ClosingOnlyHidesAndUnchecks) {
    MapView v(1000, 1000, 32);
    v.t->MainWindow->MapWindow1->setChecked(true);
    MapView::drag(v.w.ScrollBar1, 96);
    const Bitmap view = v.w.Image1->bitmap();

    v.w.close();
    EXPECT_FALSE(v.w.isVisible());
    EXPECT_FALSE(v.t->MainWindow->MapWindow1->isChecked());
    EXPECT_EQ(v.state().ViewRow, 3);
    EXPECT_EQ(v.state().cell(5, 5), chipAt(5, 5));
    EXPECT_TRUE(v.w.Image1->bitmap() == view);
}

// The full refresh lays out the bar for the widest map at cell size 1.
TEST(MapNavigation, FullRefreshThenScrollToTheEnd) {
    MapView v(1000, 1000, 1);
    v.w.ScrollBar2->hide();
    v.w.ScrollBar2->setMaximum(0);
    v.state().ZoomPending = 0;
    RefreshMapView(*v.t);
    ASSERT_FALSE(v.w.ScrollBar2->isHidden());
    EXPECT_EQ(v.w.ScrollBar2->maximum(), 680);
    MapView::drag(v.w.ScrollBar2, 680);
    EXPECT_EQ(v.state().ViewCol, 680);
    EXPECT_EQ(v.viewMismatch(), "");
}

} // namespace
} // namespace tilora::test
