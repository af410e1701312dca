// Seeing the whole map: a map view that grows with its window, the overview, the grid and the
// status line, and the marks the editor keeps for the next run.

#include "TestApp.h"

#include "newmap/TStartUpWindow.h"
#include "overview/TOverviewWindow.h"
#include "platform/GridOverlay.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <algorithm>

namespace tilora::test {
namespace {

// The window made larger by its edge: the resize comes from outside, as the window system's does.
void dragEdgeTo(TMapWindow& w, QSize client) {
    w.resize(client);
    QResizeEvent e(client, w.size());
    QApplication::sendEvent(&w, &e);
}

TEST(ViewFeatures, TheViewGrowsWithItsWindowInWholeCells) {
    Editor e(100);
    EXPECT_EQ(e.view.size(), QSize(336, 337)); // as laid out
    dragEdgeTo(e.view, QSize(336 + 100, 337 + 70));
    // 420 x 390 pixels of room: 13 x 12 cells of 32.
    EXPECT_EQ(e.view.Image1->bitmap().width(), 416);
    EXPECT_EQ(e.view.Image1->bitmap().height(), 384);
    EXPECT_EQ(e.view.ScrollBar2->maximum(), 100 * 32 - 416);
    EXPECT_EQ(e.view.ScrollBar1->maximum(), 100 * 32 - 384);
    EXPECT_EQ(e.view.ScrollBar1->x(), 416 + 3); // beside the larger view

    // A pixel only the larger view has: the pen paints the cell there.
    e.s().CurrentChip = 9;
    pressButton(e.view.Image1, Qt::LeftButton, 400, 370);
    pressButton(e.view.Image1, Qt::RightButton, 400, 370);
    EXPECT_EQ(e.s().cell(11, 12), 9);
    EXPECT_EQ(e.view.Image1->bitmap().pixel(400, 370), chipColour(9));
    // The overview opens beside the larger window, not over it.
    e.main.OverviewWindow1->trigger();
    EXPECT_GT(e.t->OverviewWindow->x(), e.view.frameGeometry().right());

    // A zoom pick keeps the larger window and pulls back by the larger view.
    e.main.ZoomInButton->click();
    pressButton(e.view.Image1, Qt::LeftButton, 400, 370); // map cell (11, 12) to the top left
    EXPECT_EQ(e.s().CellSize, 64);
    EXPECT_EQ(e.view.size(), QSize(436, 407));
    EXPECT_EQ(e.view.Image1->bitmap().width(), 384); // 6 cells of 64 in 420 pixels
    EXPECT_EQ(e.s().ViewCol, 12);

    // Never below the laid-out view, never beyond the screen.
    dragEdgeTo(e.view, QSize(100, 100));
    EXPECT_EQ(e.view.viewSize(), ViewSize{});
    dragEdgeTo(e.view, QSize(5000, 5000));
    EXPECT_LE(e.view.viewSize().width, testScreen().width);
}

TEST(ViewFeatures, TheOverviewShowsTheMapAndMovesTheView) {
    Editor e(200);
    EXPECT_FALSE(e.t->OverviewWindow->isVisible()); // off by default
    e.main.OverviewWindow1->trigger();
    TOverviewWindow& o = *e.t->OverviewWindow;
    ASSERT_TRUE(o.isVisible());
    EXPECT_TRUE(e.main.OverviewWindow1->isChecked());
    EXPECT_EQ(o.pictureRect().size(), QSize(200, 200)); // one pixel a cell
    EXPECT_EQ(o.viewFrame(), QRect(o.pictureRect().topLeft(), QSize(10, 10)));

    // A click centres the view on the cell under it.
    const QPoint at = o.pictureRect().topLeft() + QPoint(120, 80);
    pressButton(&o, Qt::LeftButton, at.x(), at.y());
    EXPECT_EQ(e.s().ViewCol, 115);
    EXPECT_EQ(e.s().ViewRow, 75);
    EXPECT_EQ(e.view.ScrollBar2->value(), 115 * 32);
    EXPECT_EQ(o.viewFrame().topLeft(), o.pictureRect().topLeft() + QPoint(115, 75));

    // Painting where the view went shows in the overview; an undo takes it away again.
    const Pixel before = o.overview().picture().pixel(120, 80);
    e.s().CurrentChip = 5;
    e.click(5, 5);
    e.click(5, 5, Qt::RightButton);
    EXPECT_EQ(e.s().cell(80, 120), 5);
    EXPECT_EQ(o.overview().picture().pixel(120, 80), o.overview().colours().colour(5));
    e.main.Undo1->trigger();
    EXPECT_EQ(o.overview().picture().pixel(120, 80), before);

    // Its close box takes the mark; a new map's dialog hides it until a map is shown.
    o.close();
    EXPECT_FALSE(e.main.OverviewWindow1->isChecked());
    EXPECT_FALSE(e.t->viewPreferences().overview);
}

// The overview wanted: the new-map command hides it with the map, the new map brings it back.
TEST(ViewFeatures, TheOverviewComesBackWithTheNewMap) {
    Editor e(20);
    e.main.OverviewWindow1->trigger();
    e.main.NewButtonClick();
    EXPECT_FALSE(e.t->OverviewWindow->isVisible());
    e.t.dialogs.chooseFile(writeSheetBmp(e.t.path(QStringLiteral("s.bmp")), 64, 64));
    e.t->StartUpWindow->Button2Click();
    e.t->StartUpWindow->Button1->click();
    EXPECT_TRUE(e.t->OverviewWindow->isVisible());
    EXPECT_TRUE(e.main.OverviewWindow1->isChecked());
}

TEST(ViewFeatures, TheGridIsDrawnOverThePictureOnly) {
    Editor e(40);
    std::fill(e.s().MapCells.begin(), e.s().MapCells.end(), 20); // a light chip: lines show
    e.view.redrawView();
    const Bitmap picture = e.view.Image1->bitmap();
    const QImage plain = e.view.grab().toImage();
    e.main.Grid1->trigger(); // the key G is among the shortcuts' rows
    EXPECT_TRUE(e.main.Grid1->isChecked());
    ASSERT_TRUE(e.view.Grid->isVisible());
    EXPECT_EQ(e.view.Image1->bitmap(), picture); // the map's picture is untouched
    const QImage gridded = e.view.grab().toImage();
    // A line at every cell's left edge, none inside a cell.
    EXPECT_NE(gridded.pixel(32, 50), plain.pixel(32, 50));
    EXPECT_EQ(gridded.pixel(40, 50), plain.pixel(40, 50));
    e.main.Grid1->trigger();
    EXPECT_FALSE(e.view.Grid->isVisible());
}

TEST(ViewFeatures, TheStatusLineNamesTheCellUnderThePointer) {
    Editor e(40);
    e.main.StatusLine1->trigger();
    ASSERT_TRUE(e.view.StatusLine->isVisible());
    EXPECT_EQ(e.view.size(), QSize(336, 337 + 22)); // the bar whole, the line under it
    e.s().cell(3, 7) = 12;
    movePointer(e.view.Image1, 7 * 32 + 5, 3 * 32 + 5);
    EXPECT_EQ(e.view.StatusLine->text(), QStringLiteral("列 7　行 3　チップ 12　32ドット/チップ"));
    e.main.StatusLine1->trigger();
    EXPECT_EQ(e.view.size(), QSize(336, 337));
}

TEST(ViewFeatures, TheViewMarksAreRememberedForTheNextRun) {
    {
        Editor e(20);
        e.main.Grid1->trigger();
        e.main.StatusLine1->trigger();
    }
    // Not through TestApp, which starts every test from the defaults.
    ScriptedDialogs dialogs;
    Application next(dialogs, testScreen());
    EXPECT_TRUE(next.MainWindow->Grid1->isChecked());
    EXPECT_TRUE(next.MainWindow->StatusLine1->isChecked());
    EXPECT_FALSE(next.MainWindow->OverviewWindow1->isChecked());
    EXPECT_TRUE(next.MapWindow->statusLineShown());
}

} // namespace
} // namespace tilora::test
