// The palette's layout for a newly chosen sheet and the full refresh of the map view.

#include "TestApp.h"

#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/RefreshMapView.h"
#include "shell/TMainWindow.h"

#include <QAction>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tilora::test {
namespace {

void chooseSheet(TestApp& t, int width, int height) {
    static int serial = 0;
    const QString path =
        writeSheetBmp(t.path(QStringLiteral("s%1.bmp").arg(++serial)), width, height);
    t.dialogs.chooseFile(path);
    t->StartUpWindow->Button2Click();
}

// ---------------------------------------------------------------------------------------------
// LayoutChipWindow

struct PaletteCase {
    int width, height;
    bool vertical, horizontal; // ScrollBar1, ScrollBar2 shown
    int verticalMax, horizontalMax;
    QSize client; // outer size minus the 7 x 27 frame
    int verticalLeft, horizontalTop;
};

TEST(NewMapPaletteLayout, SizesAndBarsFollowTheSheet) {
    const PaletteCase cases[] = {
        // Outer (W + 7) x (H + 27).
        {320, 320, false, false, 0, 0, {320, 320}, 320, 320},
        {100, 96, false, false, 0, 0, {100, 96}, 320, 320},
        // Outer width 327; client height 200 + 17.
        {640, 200, false, true, 0, 320, {320, 217}, 320, 200},
        // Outer height 347; client width 200 + 16.
        {200, 640, true, false, 320, 0, {216, 320}, 200, 320},
        {640, 640, true, true, 320, 320, {336, 337}, 320, 320},
        {321, 1000, true, true, 680, 1, {336, 337}, 320, 320},
    };
    for (const PaletteCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        TestApp t;
        t->start();
        t->StartUpWindow->showDialog();
        chooseSheet(t, c.width, c.height);
        TMapChipWindow& p = *t->MapChipWindow;

        EXPECT_TRUE(p.isVisible());
        EXPECT_EQ(p.size(), c.client);
        EXPECT_EQ(p.ScrollBar1->isVisible(), c.vertical);
        EXPECT_EQ(p.ScrollBar2->isVisible(), c.horizontal);
        if (c.vertical) {
            EXPECT_EQ(p.ScrollBar1->maximum(), c.verticalMax);
        }
        if (c.horizontal) {
            EXPECT_EQ(p.ScrollBar2->maximum(), c.horizontalMax);
        }
        EXPECT_EQ(p.ScrollBar1->value(), 0);
        EXPECT_EQ(p.ScrollBar2->value(), 0);
        EXPECT_EQ(p.ScrollBar1->geometry(), QRect(c.verticalLeft, 0, 16, 320));
        EXPECT_EQ(p.ScrollBar2->geometry(), QRect(0, c.horizontalTop, 320, 17));
        EXPECT_EQ(p.Image1->pos(), QPoint(0, 0));
        EXPECT_EQ(p.Image1->size(), QSize(c.width, c.height));
        EXPECT_TRUE(p.Image1->isVisible());
        EXPECT_EQ(t.state().SheetScrollX, 0);
        EXPECT_EQ(t.state().SheetScrollY, 0);
        EXPECT_TRUE(t->MainWindow->OpenDialog1.FileName.isEmpty());
    }
}

TEST(NewMapPaletteLayout, NarrowSheetGivesThreeColumns) {
    TestApp t;
    t->start();
    TStartUpWindow& d = *t->StartUpWindow;
    d.showDialog();
    chooseSheet(t, 100, 96);
    d.Button1Click();
    EXPECT_EQ(t.state().SheetColumns, 3);
}

// A palette scrolled before the new sheet: the reset runs the change handlers (valueChanged),
// never the user's scroll handlers (actionTriggered), and the sheet is visible afterwards.
TEST(NewMapPaletteLayout, ScrolledPaletteIsResetThroughTheChangeHandlers) {
    TestApp t;
    t->start();
    t->StartUpWindow->showDialog();
    chooseSheet(t, 640, 640);
    TMapChipWindow& p = *t->MapChipWindow;
    p.ScrollBar1->setValue(64);
    p.ScrollBar2->setValue(96);
    p.Image1->move(-96, -64);

    QSignalSpy changed1(p.ScrollBar1, &QScrollBar::valueChanged);
    QSignalSpy changed2(p.ScrollBar2, &QScrollBar::valueChanged);
    QSignalSpy scrolled1(p.ScrollBar1, &QScrollBar::actionTriggered);
    QSignalSpy scrolled2(p.ScrollBar2, &QScrollBar::actionTriggered);
    chooseSheet(t, 640, 640);

    EXPECT_EQ(changed1.count(), 1);
    EXPECT_EQ(changed2.count(), 1);
    EXPECT_EQ(scrolled1.count(), 0);
    EXPECT_EQ(scrolled2.count(), 0);
    EXPECT_EQ(p.ScrollBar1->value(), 0);
    EXPECT_EQ(p.ScrollBar2->value(), 0);
    EXPECT_EQ(p.Image1->pos(), QPoint(0, 0));
    EXPECT_TRUE(p.Image1->isVisible());
}

// ---------------------------------------------------------------------------------------------
// RefreshMapView

struct RefreshCase {
    int mapWidth, mapHeight, cellSize;
    bool horizontal, vertical; // ScrollBar2, ScrollBar1 shown
    int horizontalMax, verticalMax;
    QSize image;
};

// A map whose cells name many different chips of a 256 x 256 sheet (64 chips).
void fillVaried(EditorState& s) {
    for (int r = 0; r < GridSide; ++r) {
        for (int c = 0; c < GridSide; ++c)
            s.cell(r, c) = (r * 13 + c * 5) % 64;
    }
}

TEST(NewMapRefresh, BarsImageAndCursorFollowMapAndCellSize) {
    const RefreshCase cases[] = {
        {10, 10, 32, false, false, 0, 0, {320, 320}},
        {10, 10, 16, false, false, 0, 0, {160, 160}},
        {40, 10, 16, true, false, 320, 0, {320, 160}},
        {10, 40, 16, false, true, 0, 320, {160, 320}},
        {1000, 1000, 32, true, true, 31680, 31680, {320, 320}},
        {11, 10, 32, true, false, 32, 0, {320, 320}},
        {1000, 10, 1, true, false, 680, 0, {320, 10}},
        {10, 10, 64, true, true, 320, 320, {320, 320}},
    };
    for (const RefreshCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.mapWidth << " x " << c.mapHeight << " at " << c.cellSize);
        TestApp t;
        t->start();
        EditorState& s = t.state();
        t->setSheet(makeSheet(256, 256));
        fillVaried(s);
        s.MapWidth = c.mapWidth;
        s.MapHeight = c.mapHeight;
        s.CellSize = c.cellSize;
        s.ViewCol = 3;
        s.ViewRow = 4;
        s.ZoomStep = 2;
        TMapWindow& map = *t->MapWindow;

        RefreshMapView(*t);

        // No zoom pending: the origin and the zoom step reset whatever the cell size.
        EXPECT_EQ(s.ViewCol, 0);
        EXPECT_EQ(s.ViewRow, 0);
        EXPECT_EQ(s.ZoomStep, 6);
        EXPECT_EQ(s.SheetColumns, 8);
        EXPECT_TRUE(map.isVisible());
        EXPECT_EQ(map.size(), QSize(336, 337));
        EXPECT_EQ(map.Image1->geometry(), QRect(QPoint(0, 0), c.image));
        EXPECT_TRUE(map.Image1->isVisible());
        EXPECT_EQ(map.ScrollBar2->isVisible(), c.horizontal);
        EXPECT_EQ(map.ScrollBar1->isVisible(), c.vertical);
        if (c.horizontal) {
            EXPECT_EQ(map.ScrollBar2->maximum(), c.horizontalMax);
        }
        if (c.vertical) {
            EXPECT_EQ(map.ScrollBar1->maximum(), c.verticalMax);
        }
        for (QScrollBar* bar : {map.ScrollBar1, map.ScrollBar2}) {
            EXPECT_EQ(bar->value(), 0);
            EXPECT_EQ(bar->singleStep(), c.cellSize);
            EXPECT_EQ(bar->pageStep(), 2 * c.cellSize);
        }
        // The cursor is the cell, but never smaller than 5 x 5; the pointer is not over the view,
        // so it frames the first cell.
        const int frame = std::max(c.cellSize, 5);
        EXPECT_EQ(map.Shape1->geometry(), QRect(0, 0, frame, frame));

        // Every view cell is drawn, those beyond the map's edge too (they are only cut off).
        const Bitmap& view = map.Image1->bitmap();
        const int n = 320 / c.cellSize;
        for (auto [i, j] : {std::pair{0, 0}, {0, n - 1}, {n - 1, 0}, {n - 1, n - 1}, {n / 2, 1}}) {
            EXPECT_EQ(view.pixel(j * c.cellSize, i * c.cellSize), chipColour(s.cell(i, j)))
                << i << "," << j;
        }
    }
}

TEST(NewMapRefresh, PendingZoomKeepsTheOriginAsFarAsTheMapAllows) {
    TestApp t;
    t->start();
    EditorState& s = t.state();
    t->setSheet(makeSheet(256, 256));
    fillVaried(s);
    s.MapWidth = 100;
    s.MapHeight = 100;
    s.CellSize = 16;
    s.ZoomPending = 1;
    s.ViewCol = 30;
    s.ViewRow = 40;
    s.ZoomStep = 5;

    RefreshMapView(*t);

    EXPECT_EQ(s.ViewCol, 30);
    EXPECT_EQ(s.ViewRow, 40);
    EXPECT_EQ(s.ZoomStep, 5);
    EXPECT_EQ(s.ZoomPending, 1);
    TMapWindow& map = *t->MapWindow;
    EXPECT_EQ(map.ScrollBar2->maximum(), 1280);
    EXPECT_EQ(map.ScrollBar1->maximum(), 1280);
    EXPECT_EQ(map.ScrollBar2->value(), 30 * 16);
    EXPECT_EQ(map.ScrollBar1->value(), 40 * 16);
    const Bitmap& view = map.Image1->bitmap();
    EXPECT_EQ(view.pixel(0, 0), chipColour(s.cell(40, 30)));
    EXPECT_EQ(view.pixel(319, 319), chipColour(s.cell(59, 49)));

    // A new map or a load that arrives with the pick still pending keeps the step and the pick,
    // but the old origin is pulled back so that the view shows the map, not cells beyond it.
    s.ViewCol = 95;
    RefreshMapView(*t);
    EXPECT_EQ(s.ViewCol, 80); // 100 - 320 / 16
    EXPECT_EQ(s.ViewRow, 40);
    EXPECT_EQ(map.ScrollBar2->value(), 80 * 16);
    s.MapWidth = 28;
    s.MapHeight = 10;
    s.CellSize = 1;
    s.ViewRow = 260;
    RefreshMapView(*t);
    EXPECT_EQ(s.ViewCol, 0);
    EXPECT_EQ(s.ViewRow, 0);
    EXPECT_EQ(s.ZoomStep, 5);
    EXPECT_EQ(s.ZoomPending, 1);
    EXPECT_EQ(view.pixel(0, 0), chipColour(s.cell(0, 0)));
}

TEST(NewMapRefresh, ArrangesWindowsAndEnablesMapCommands) {
    TestApp t;
    t->start();
    TMainWindow& main = *t->MainWindow;
    TMapWindow& map = *t->MapWindow;
    TMapChipWindow& palette = *t->MapChipWindow;
    t->StartUpWindow->showDialog();
    chooseSheet(t, 64, 64);
    map.show();
    main.move(100, 50);
    map.move(400, 300);
    palette.move(900, 20);

    RefreshMapView(*t);

    const int underMain = main.frameGeometry().height();
    EXPECT_EQ(main.pos(), QPoint(0, 0));
    EXPECT_EQ(map.pos(), QPoint(0, underMain));
    EXPECT_EQ(palette.pos(), QPoint(map.frameGeometry().width(), underMain));
    EXPECT_GT(palette.x(), map.width()); // the outer width, frame included
    EXPECT_FALSE(t->StartUpWindow->isVisible());

    for (QAction* a : {main.MapChipWindow1, main.MapWindow1}) {
        EXPECT_TRUE(a->isChecked());
        EXPECT_TRUE(a->isEnabled());
    }
    EXPECT_TRUE(main.NameSave->isEnabled());
    EXPECT_TRUE(main.CloseFile->isEnabled());
    for (QPushButton* b : {main.NameSaveButton, main.MapShowButton, main.ChipShowButton,
                           main.ZoomInButton, main.ZoomOutButton, main.PenButton2, main.PenButton3,
                           main.PenButton4, main.StampButton, main.SEButton}) {
        EXPECT_TRUE(b->isEnabled()) << b->toolTip().toStdString();
    }
    // Left as they were.
    EXPECT_FALSE(main.PenButton1->isEnabled());
    EXPECT_FALSE(main.Save->isEnabled());
    EXPECT_FALSE(main.OverWriteSaveButton->isEnabled());
}

} // namespace
} // namespace tilora::test
