// Loading a map while the chip palette is scrolled: the palette shows the loaded map's sheet from
// its top-left corner again, with both offsets and both bars back at 0, and the next click on the
// frame selects the chip the frame shows, which is then the chip the pen paints.

#include "TestApp.h"

#include "core/MapFile.h"
#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/TMainWindow.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace tilora::test {
namespace {

// The thumb dragged to `position`: the bar proposes it to its scroll handler.
void dragThumb(QScrollBar* bar, int position) {
    bar->setSliderPosition(position);
    bar->triggerAction(QAbstractSlider::SliderMove);
}

// A 12 x 10 map whose every cell is chip 1.
void writeMap(const QString& path, const QString& sheet) {
    MapContents m;
    m.sheetPath = sheet.toStdString();
    m.width = 12;
    m.height = 10;
    m.cells.assign(std::size_t(m.width) * m.height, 1);
    const std::string bytes = formatMapFile(m);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

TEST(LoadScrolledPalette, ShowsTheSheetFromItsTopLeftAndTheFrameSelectsWhatItShows) {
    struct Case {
        const char* name;
        int sheetWidth, sheetHeight; // the loaded map's sheet; 0: the sheet already in use
        bool byMenu;                 // the menu's load command instead of the toolbar's button
    };
    const Case cases[] = {
        {"the same 640 x 640 sheet, by the toolbar's open button", 0, 0, false},
        {"another sheet, 480 x 416, by the menu's load command", 480, 416, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp t;
        t->start();
        TMainWindow& main = *t->MainWindow;
        TMapChipWindow& palette = *t->MapChipWindow;
        EditorState& s = t.state();

        // A map on a 640 x 640 sheet (20 x 20 chips), set up through the new-map dialog.
        const QString big = writeSheetBmp(t.path("big.bmp"), 640, 640);
        main.NewButton->click();
        t.dialogs.chooseFile(big);
        t->StartUpWindow->Button2->click();
        t->StartUpWindow->Button1->click();
        ASSERT_TRUE(palette.isVisible());

        // Scrolled right by two chips, the pointer on the chip at window (100, 70), i.e. sheet
        // (164, 70): column 5, row 2, so the frame sits at window (5 * 32 - 64, 2 * 32) = (96, 64).
        // Then scrolled down by three chips: the frame stays and now shows sheet (160, 160).
        dragThumb(palette.ScrollBar2, 64);
        movePointer(palette.Image2, 10, 10);
        movePointer(palette.Image1, 100 + 64, 70);
        dragThumb(palette.ScrollBar1, 96);
        ASSERT_EQ(s.SheetScrollX, 64);
        ASSERT_EQ(s.SheetScrollY, 96);
        ASSERT_EQ(palette.Shape1->pos(), QPoint(96, 64));
        ASSERT_TRUE(palette.Image1->isHidden());                       // the still copy is showing
        pressButton(palette.Image2, Qt::LeftButton, 96 + 10, 64 + 10); // inside the frame
        ASSERT_EQ(s.CurrentChip, 5 * 20 + 5);

        const int sheetWidth = c.sheetWidth ? c.sheetWidth : 640;
        const QString sheet =
            c.sheetWidth ? writeSheetBmp(t.path("other.bmp"), c.sheetWidth, c.sheetHeight) : big;
        const QString map = t.path("scrolled.map");
        writeMap(map, sheet);
        t.dialogs.chooseFile(map);
        t.dialogs.answer(Answer::No); // the new map counts as unsaved
        if (c.byMenu)
            main.LoadFile->trigger();
        else
            main.OpenButton->click();
        EXPECT_TRUE(t.dialogs.answers.empty());
        ASSERT_EQ(s.MapWidth, 12);
        ASSERT_EQ(s.SheetFileName, sheet.toStdString());
        ASSERT_EQ(palette.sheet().width(), sheetWidth);

        // The sheet from its top-left corner, offsets and bars agreeing.
        EXPECT_EQ(s.SheetScrollX, 0);
        EXPECT_EQ(s.SheetScrollY, 0);
        for (QScrollBar* bar : {palette.ScrollBar1, palette.ScrollBar2}) {
            EXPECT_FALSE(bar->isHidden());
            EXPECT_EQ(bar->value(), 0);
            EXPECT_EQ(bar->sliderPosition(), 0);
        }
        EXPECT_EQ(palette.Image1->pos(), QPoint(0, 0));
        EXPECT_TRUE(palette.isVisible());
        EXPECT_TRUE(palette.Image1->isVisible());

        // The frame kept its place, over sheet (96, 64): column 3, row 2 of the loaded sheet.
        ASSERT_EQ(palette.Shape1->pos(), QPoint(96, 64));
        const int shown = 2 * (sheetWidth / 32) + 3;
        ASSERT_EQ(palette.Image1->bitmap().pixel(96 + 16, 64 + 16), chipColour(shown));
        pressButton(palette.Image1, Qt::LeftButton, 96 + 10, 64 + 10);
        EXPECT_EQ(s.CurrentChip, shown);
        EXPECT_EQ(t->StartUpWindow->Image1->bitmap().pixel(16, 16), chipColour(shown));

        // And that chip is what the pen paints and the map view shows.
        TMapWindow& view = *t->MapWindow;
        movePointer(view.Image1, 40, 40);
        pressButton(view.Image1, Qt::LeftButton, 40, 40);
        EXPECT_EQ(s.cell(1, 1), shown);
        EXPECT_EQ(view.Image1->bitmap().pixel(32, 32), chipColour(shown));
    }
}

} // namespace
} // namespace tilora::test
