// PNG chip sheets in the editor: chosen for a new map and named by a map file, each drawn as the
// same pixels in a BMP would be.

#include "FileCommandsSupport.h"
#include "TestApp.h"

#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/BmpLoader.h"
#include "platform/PictureWidget.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tilora::test {
namespace {

// A 96 x 64 sheet (3 x 2 chips) saved as PNG by Qt's own writer.
QString writeSheetPng(TestApp& t) {
    const QString path = t.path(QStringLiteral("tiles.png"));
    EXPECT_TRUE(imageFromBitmap(makeSheet(96, 64)).save(path, "PNG"));
    return path;
}

TEST(PngSheet, ChosenForANewMap) {
    TestApp t;
    t->start();
    t->StartUpWindow->showDialog();
    const QString path = writeSheetPng(t);
    t.dialogs.chooseFile(path);
    t->StartUpWindow->Button2Click();
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(t->MapChipWindow->sheet(), makeSheet(96, 64));

    t->StartUpWindow->Edit1->setText(QStringLiteral("10"));
    t->StartUpWindow->Edit2->setText(QStringLiteral("10"));
    t->StartUpWindow->Button1->click();
    EXPECT_EQ(t.state().SheetFileName, path.toStdString());
    EXPECT_TRUE(t->MapWindow->isVisible());
    EXPECT_EQ(t->MapWindow->Image1->bitmap().pixel(319, 319), chipColour(0));
}

TEST(PngSheet, NamedByALoadedMap) {
    TestApp t;
    const QString sheet = writeSheetPng(t);
    const MapContents contents = files::patternMap(sheet.toStdString(), 12, 10, 6);
    const QString map = t.path(QStringLiteral("png.map"));
    files::writeBytes(map, formatMapFile(contents));
    files::loadThroughMenu(t, map);

    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(files::heldMap(t), contents);
    EXPECT_EQ(t->MapChipWindow->sheet(), makeSheet(96, 64));
    // Row 0, column 1 of the view holds chip 3 (patternMap: r * 7 + c * 3).
    EXPECT_EQ(t->MapWindow->Image1->bitmap().pixel(32 + 5, 5), chipColour(3));
}

} // namespace
} // namespace tilora::test
