// The editing tools through the real windows: the selection and its outline, copy, cut, delete,
// paste and paste in place, moving the selection, the clipboard's text, capture to a stamp, the
// rectangle and the line, and the pen's run without gaps; each change one undo step.

#include "TestApp.h"

#include "core/StampBanks.h"
#include "mapview/MapTools.h"
#include "mapview/tools/PasteTool.h"
#include "mapview/tools/PenTool.h"
#include "mapview/tools/SelectTool.h"
#include "mapview/tools/ShapeTool.h"
#include "platform/EditOverlay.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

#include <gtest/gtest.h>

#include <typeinfo>

namespace tilora::test {
namespace {

int at(int cell) {
    return cell * 32 + 16;
}

// Press on one cell, drag with the button held, release on another.
void drag(Editor& e, int fromRow, int fromCol, int toRow, int toCol) {
    QWidget* view = e.view.Image1;
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(at(fromCol), at(fromRow)));
    movePointer(view, at(toCol), at(toRow), Qt::LeftButton);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(at(toCol), at(toRow)));
}

// Row r, column c holds r * 10 + c.
void numberCells(Editor& e) {
    for (int r = 0; r < e.s().MapHeight; ++r)
        for (int c = 0; c < e.s().MapWidth; ++c)
            e.s().cell(r, c) = r * 10 + c;
    e.view.redrawView();
}

// A selection made as the selection tool leaves it, the commands told.
void select(Editor& e, CellRect rect) {
    e.s().Selection = rect;
    e.t->commandsChanged();
}

const std::type_info& activeTool(Editor& e) {
    const MapTool& tool = e.view.tools().active();
    return typeid(tool);
}

TEST(EditingTools, SelectionByDragDrawnDashedAndClippedToTheMap) {
    Editor e(8); // the view shows 10 x 10 cells, the map is 8 x 8
    e.main.Select1->trigger();
    drag(e, 6, 5, 2, 9);
    EXPECT_EQ(e.s().Selection, (CellRect{2, 5, 5, 3}));
    EXPECT_EQ(e.view.Edits->outline(), QRect(5 * 32, 2 * 32, 3 * 32, 5 * 32));
    const QImage shown = e.view.Edits->grab().toImage();
    EXPECT_NE(shown.pixel(5 * 32 + 1, 2 * 32), shown.pixel(5 * 32 + 5, 2 * 32)); // dashes
    e.main.StatusLine1->trigger();
    EXPECT_TRUE(e.view.StatusLine->text().endsWith(QStringLiteral("選択 3 x 5")));

    e.s().CellSize = 1; // every zoom: a selection of a few pixels still shows
    e.view.redrawView();
    EXPECT_EQ(e.view.Edits->outline(), QRect(5, 2, 3, 5));

    e.main.StampButton->click();
    e.main.SelectAll1->trigger();
    EXPECT_EQ(e.s().Selection, (CellRect{0, 0, 8, 8}));
    EXPECT_EQ(activeTool(e), typeid(SelectTool));
    e.main.DisarmKey->trigger(); // Esc: nothing selected, back to the stamp in use
    EXPECT_TRUE(e.s().Selection.empty());
    EXPECT_TRUE(e.view.Edits->outline().isNull());
    EXPECT_NE(activeTool(e), typeid(SelectTool));
    EXPECT_EQ(e.s().StampMode, 1);
}

TEST(EditingTools, CopyCutAndDeleteEachOneStepThatUndoesTheOutlineToo) {
    Editor e;
    numberCells(e);
    e.s().CurrentChip = 7;
    select(e, {1, 2, 2, 2});
    e.main.Copy1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("12,13,\r\n22,23,\r\n"));
    EXPECT_FALSE(e.t->State.History.canUndo());

    e.main.Cut1->trigger();
    EXPECT_EQ(e.s().cell(2, 3), 7);
    EXPECT_EQ(e.pixel(2, 3), chipColour(7));
    select(e, {5, 5, 1, 1});
    e.main.Delete1->trigger();
    EXPECT_EQ(e.s().cell(5, 5), 7);
    EXPECT_EQ(e.s().MapModified, 1);

    e.main.Undo1->trigger();
    e.main.Undo1->trigger();
    EXPECT_EQ(e.s().cell(2, 3), 23);
    EXPECT_EQ(e.s().Selection, (CellRect{1, 2, 2, 2}));
    EXPECT_EQ(e.view.Edits->outline(), QRect(2 * 32, 32, 64, 64));
    e.main.Redo1->trigger();
    EXPECT_EQ(e.s().cell(1, 2), 7);
}

TEST(EditingTools, PasteFollowsThePointerUntilAClickAndInPlaceGoesBack) {
    Editor e;
    numberCells(e);
    select(e, {0, 0, 2, 2});
    e.main.Copy1->trigger();
    e.main.Paste1->trigger();
    EXPECT_EQ(activeTool(e), typeid(PasteTool));
    e.moveTo(5, 6);
    EXPECT_TRUE(e.view.Edits->hasPreview());
    EXPECT_EQ(e.s().cell(5, 6), 56); // only a preview so far
    e.click(5, 6);
    EXPECT_EQ(e.s().cell(6, 7), 11);
    EXPECT_EQ(e.s().Selection, (CellRect{5, 6, 2, 2}));
    EXPECT_FALSE(e.view.Edits->hasPreview());
    EXPECT_EQ(activeTool(e), typeid(SelectTool)); // to move what was placed

    for (const bool rightClick : {true, false}) { // dropped, without a chip picked
        e.main.Paste1->trigger();
        e.s().CurrentChip = 3;
        rightClick ? e.click(8, 8, Qt::RightButton) : e.main.DisarmKey->trigger();
        EXPECT_FALSE(e.view.Edits->hasPreview());
        EXPECT_EQ(e.s().CurrentChip, 3);
        EXPECT_EQ(e.s().cell(8, 8), 88);
    }

    e.main.Undo1->trigger();
    EXPECT_EQ(e.s().cell(6, 7), 67);
    e.s().cell(1, 1) = 99;
    e.main.PasteInPlace1->trigger();
    EXPECT_EQ(e.s().cell(1, 1), 11);
}

TEST(EditingTools, DraggingInsideTheSelectionMovesItsCells) {
    Editor e;
    numberCells(e);
    e.s().CurrentChip = 5;
    e.main.Select1->trigger();
    drag(e, 1, 1, 2, 2);
    drag(e, 2, 2, 4, 5); // from a cell inside it: two down, three to the right
    EXPECT_EQ(e.s().cell(3, 4), 11);
    EXPECT_EQ(e.s().cell(4, 5), 22);
    EXPECT_EQ(e.s().cell(1, 1), 5);
    EXPECT_EQ(e.s().Selection, (CellRect{3, 4, 2, 2}));
    e.main.Undo1->trigger();
    EXPECT_EQ(e.s().cell(1, 1), 11);
    EXPECT_EQ(e.s().cell(3, 4), 34);
    EXPECT_EQ(e.s().Selection, (CellRect{1, 1, 2, 2}));
}

TEST(EditingTools, ClipboardTextFromElsewhereIsReadStrictly) {
    Editor e;
    numberCells(e);
    QClipboard& clipboard = *QGuiApplication::clipboard();
    clipboard.setText(QStringLiteral("1,2\n3,x\n"));
    e.main.PasteInPlace1->trigger();
    ASSERT_EQ(e.t.dialogs.messages.size(), 1u);
    EXPECT_TRUE(e.t.dialogs.messages[0].text.contains(QStringLiteral("2行目の2番目の値")));
    EXPECT_FALSE(e.t->State.History.canUndo());

    // Another editor's copy, from a map drawn with another sheet: said, and pasted anyway.
    auto* data = new QMimeData;
    data->setText(QStringLiteral("1\t2\r\n3\t4"));
    data->setData(QStringLiteral("application/x-tilora-chips"), "2,3\n/elsewhere/sheet.bmp");
    clipboard.setMimeData(data);
    e.main.PasteInPlace1->trigger();
    ASSERT_EQ(e.t.dialogs.messages.size(), 2u);
    EXPECT_TRUE(e.t.dialogs.messages[1].text.contains(QStringLiteral("別のチップ画像")));
    EXPECT_EQ(e.s().cell(3, 4), 4);
}

TEST(EditingTools, CaptureFillsTheStampBankShownAtOnce) {
    Editor e;
    numberCells(e);
    TStampWindow& stamps = *e.t->StampWindow;
    select(e, {2, 3, 3, 2});
    e.main.Capture1->trigger();
    const StampBankArray& banks = e.s().StampBanks;
    EXPECT_EQ(stampCell(banks, stamps.CurrentBank(), 0, 0), 23);
    EXPECT_EQ(stampCell(banks, stamps.CurrentBank(), 2, 1), 44);
    EXPECT_EQ(stampCell(banks, stamps.CurrentBank(), 0, 2), TransparentChip);
    EXPECT_TRUE(stamps.isVisible());
    EXPECT_EQ(stamps.Image1->bitmap().pixel(48, 16), chipColour(24));
    e.main.Undo1->trigger();
    EXPECT_EQ(stampCell(banks, stamps.CurrentBank(), 0, 0), 0);
    EXPECT_EQ(stamps.Image1->bitmap().pixel(48, 16), chipColour(0));
}

TEST(EditingTools, RectangleAndLinePreviewWhileDraggingAndEscCancels) {
    Editor e;
    e.s().CurrentChip = 2;
    e.main.Rectangle1->trigger();
    QTest::mousePress(e.view.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(at(1), at(1)));
    movePointer(e.view.Image1, at(3), at(2), Qt::LeftButton);
    EXPECT_TRUE(e.view.Edits->hasPreview());
    EXPECT_EQ(e.s().cell(2, 3), 0);
    QTest::mouseRelease(e.view.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(at(3), at(2)));
    EXPECT_EQ(e.s().cell(2, 3), 2);
    EXPECT_EQ(e.s().cell(1, 1), 2);
    EXPECT_EQ(e.pixel(2, 3), chipColour(2));

    e.s().PenSize = 2;
    e.main.Line1->trigger();
    drag(e, 5, 0, 5, 4);
    EXPECT_EQ(e.s().cell(6, 4), 2);
    e.main.Undo1->trigger();
    EXPECT_EQ(e.s().cell(6, 4), 0);
    EXPECT_EQ(e.s().cell(2, 3), 2); // the rectangle was a step of its own

    QTest::mousePress(e.view.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(at(0), at(8)));
    movePointer(e.view.Image1, at(6), at(8), Qt::LeftButton);
    e.main.DisarmKey->trigger(); // Esc while dragging
    QTest::mouseRelease(e.view.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(at(6), at(8)));
    EXPECT_FALSE(e.view.Edits->hasPreview());
    EXPECT_EQ(e.s().cell(8, 3), 0);
    EXPECT_EQ(activeTool(e), typeid(LineTool));
}

TEST(EditingTools, AQuickPenMoveLeavesNoGap) {
    Editor e;
    e.s().CurrentChip = 4;
    e.click(0, 0);
    e.moveTo(0, 6);
    for (int c = 0; c <= 6; ++c)
        EXPECT_EQ(e.s().cell(0, c), 4) << c;
    EXPECT_EQ(e.pixel(0, 3), chipColour(4));
    EXPECT_EQ(e.s().cell(1, 3), 0);
}

} // namespace
} // namespace tilora::test
