// Keys and the wheel through the real windows: each shortcut from whichever editor window gets
// the key (the editing tools' keys too), a text field keeping its own keys, and the wheel over the
// view and the palette.

#include "TestApp.h"

#include "core/WindowLayout.h"
#include "mapview/MapTools.h"
#include "mapview/tools/PasteTool.h"
#include "mapview/tools/SelectTool.h"
#include "mapview/tools/ShapeTool.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/GridOverlay.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

namespace tilora::test {
namespace {

template <class Tool> bool armed(Editor& e) {
    return e.view.tools().isArmed<Tool>();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A map wider than the view, on a sheet tall enough for the palette to scroll.
struct BigEditor : Editor {
    BigEditor() : Editor(100, 2560) {}
};

TEST(Shortcuts, EachKeyRunsItsCommandFromAnyEditorWindow) {
    struct Row {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        std::function<void(Editor&)> prepare;
        std::function<bool(Editor&)> ran;
    };
    const auto none = [](Editor&) {};
    const auto paintOne = [](Editor& e) {
        e.s().CurrentChip = 5;
        pressButton(e.view.Image1, Qt::LeftButton, 10, 10);
        pressButton(e.view.Image1, Qt::RightButton, 10, 10);
    };
    const auto paintAndUndo = [&](Editor& e) {
        paintOne(e);
        e.main.Undo1->trigger();
    };
    // Cell (2, 2) holds chip 5 and is selected; the current chip is 0.
    const auto selectOne = [](Editor& e) {
        e.s().cell(2, 2) = 5;
        e.s().Selection = {2, 2, 1, 1};
        e.t->commandsChanged();
    };
    // Cell (2, 2) copied, and changed since.
    const auto copyOne = [&](Editor& e) {
        selectOne(e);
        e.main.Copy1->trigger();
        e.s().cell(2, 2) = 0;
    };
    const Row rows[] = {
        {"Ctrl+N", Qt::Key_N, Qt::ControlModifier, none,
         [](Editor& e) { return e.t->StartUpWindow->isVisible(); }},
        {"Ctrl+O", Qt::Key_O, Qt::ControlModifier, [](Editor& e) { e.t.dialogs.cancelFile(); },
         [](Editor& e) {
             return e.t.dialogs.fileCalls.size() == 1 && !e.t.dialogs.fileCalls[0].save;
         }},
        {"Ctrl+Shift+S", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier,
         [](Editor& e) { e.t.dialogs.cancelFile(); },
         [](Editor& e) {
             return e.t.dialogs.fileCalls.size() == 1 && e.t.dialogs.fileCalls[0].save;
         }},
        // No file name yet, "上書き保存" disabled: the key saves under a new name.
        {"Ctrl+S", Qt::Key_S, Qt::ControlModifier, [](Editor& e) { e.t.dialogs.cancelFile(); },
         [](Editor& e) { return e.t.dialogs.fileCalls.size() == 1 && !e.main.Save->isEnabled(); }},
        {"Ctrl+W", Qt::Key_W, Qt::ControlModifier, none,
         [](Editor& e) { return !e.main.NameSaveButton->isEnabled(); }},
        {"Ctrl+Q", Qt::Key_Q, Qt::ControlModifier, none,
         [](Editor& e) { return e.exits == std::vector<int>{0}; }},
        {"F1", Qt::Key_F1, Qt::NoModifier, none,
         [](Editor& e) { return e.t.dialogs.helpShown == 1; }},
        {"+", Qt::Key_Plus, Qt::NoModifier, none,
         [](Editor& e) { return e.s().ZoomPending == 1 && e.s().ZoomStep == 7; }},
        {"-", Qt::Key_Minus, Qt::NoModifier, none,
         [](Editor& e) { return e.s().ZoomPending == 1 && e.s().ZoomStep == 5; }},
        {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, paintOne,
         [](Editor& e) { return e.s().cell(0, 0) == 0; }},
        {"Ctrl+Y", Qt::Key_Y, Qt::ControlModifier, paintAndUndo,
         [](Editor& e) { return e.s().cell(0, 0) == 5; }},
        {"Ctrl+Shift+Z", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, paintAndUndo,
         [](Editor& e) { return e.s().cell(0, 0) == 5; }},
        {"F", Qt::Key_F, Qt::NoModifier, none, [](Editor& e) { return e.view.fillArmed(); }},
        {"Esc", Qt::Key_Escape, Qt::NoModifier, [](Editor& e) { e.main.Fill1->trigger(); },
         [](Editor& e) { return !e.view.fillArmed(); }},
        {"O", Qt::Key_O, Qt::NoModifier, none,
         [](Editor& e) { return e.t->OverviewWindow->isVisible(); }},
        {"G", Qt::Key_G, Qt::NoModifier, none, [](Editor& e) { return e.view.Grid->isVisible(); }},
        {"S", Qt::Key_S, Qt::NoModifier, none, armed<SelectTool>},
        {"R", Qt::Key_R, Qt::NoModifier, none, armed<RectangleTool>},
        {"L", Qt::Key_L, Qt::NoModifier, none, armed<LineTool>},
        {"Ctrl+A", Qt::Key_A, Qt::ControlModifier, none,
         [](Editor& e) {
             return e.s().Selection == CellRect{0, 0, 100, 100};
         }},
        {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, selectOne,
         [](Editor&) { return QGuiApplication::clipboard()->text() == QStringLiteral("5,\r\n"); }},
        {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, selectOne,
         [](Editor& e) { return e.s().cell(2, 2) == 0; }},
        {"Del", Qt::Key_Delete, Qt::NoModifier, selectOne,
         [](Editor& e) { return e.s().cell(2, 2) == 0; }},
        {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, copyOne, armed<PasteTool>},
        {"Ctrl+Shift+V", Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier, copyOne,
         [](Editor& e) { return e.t->State.History.canUndo(); }},
        {"Ctrl+Shift+C", Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, selectOne,
         [](Editor& e) { return e.s().StampBanks[0] == 5; }},
    };
    for (const Row& row : rows) {
        BigEditor e;
        QWidget* windows[] = {&e.main, &e.view, e.t->MapChipWindow.get()};
        // One window per row, in turn: the keys do not depend on which one has them.
        static int turn = 0;
        QWidget* target = windows[turn++ % 3];
        SCOPED_TRACE(std::string(row.name) + " in " + target->windowTitle().toStdString());
        row.prepare(e);
        target->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(target));
        QTest::keyClick(target, row.key, row.mods);
        EXPECT_TRUE(row.ran(e));
    }
}

TEST(Shortcuts, DisabledCommandsStayDisabledAndTextFieldsKeepTheirKeys) {
    BigEditor e;
    e.main.CloseFileClick(); // no save-as, no close
    e.main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&e.main));
    QTest::keyClick(&e.main, Qt::Key_W, Qt::ControlModifier);
    QTest::keyClick(&e.main, Qt::Key_Z, Qt::ControlModifier); // nothing to undo
    EXPECT_TRUE(e.t.dialogs.messages.empty());

    TStartUpWindow& dialog = *e.t->StartUpWindow;
    dialog.showDialog();
    dialog.activateWindow();
    dialog.Edit1->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.Edit1->clear();
    QTest::keyClick(dialog.Edit1, Qt::Key_F);
    QTest::keyClick(dialog.Edit1, Qt::Key_Minus);
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("f-"));
    EXPECT_FALSE(e.view.fillArmed());
    EXPECT_EQ(e.s().ZoomPending, 0);
}

// Ctrl+S is the key of "上書き保存" and saves the named map; after "閉じる", with both save
// commands disabled, it writes nothing (with no name it saves as: the table above).
TEST(Shortcuts, CtrlSIsTheSaveItemsKeyAndWritesNothingAfterClose) {
    for (const bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "after 閉じる" : "named map");
        BigEditor e;
        EXPECT_EQ(e.main.Save->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        const QString path = e.t.path(QStringLiteral("a.map"));
        e.t.dialogs.chooseFile(path);
        ASSERT_TRUE(e.main.SaveMapAs());
        const QByteArray saved = readFile(path);
        if (closed) e.main.CloseFileClick();
        e.s().cell(0, 0) = 3;
        e.s().MapModified = 1;
        e.main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&e.main));
        QTest::keyClick(&e.main, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(readFile(path) != saved, !closed);
        EXPECT_EQ(e.t.dialogs.fileCalls.size(), 1u);
    }
}

void turnWheelBy(QWidget* w, QPoint at, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent event(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

void turnWheel(QWidget* w, QPoint at, int notches, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    turnWheelBy(w, at, notches * QWheelEvent::DefaultDeltasPerStep, mods);
}

TEST(Wheel, OverTheViewScrollsOneCellPerNotchThroughTheBars) {
    struct Row {
        Qt::KeyboardModifiers mods;
        int notches;
        int viewRow, viewCol;
    };
    const Row rows[] = {{Qt::NoModifier, -3, 3, 0},
                        {Qt::ShiftModifier, -2, 0, 2},
                        {Qt::NoModifier, 2, 0, 0}}; // held at the top
    for (const Row& r : rows) {
        SCOPED_TRACE(r.notches);
        BigEditor e;
        turnWheel(e.view.Image1, QPoint(50, 50), r.notches, r.mods);
        EXPECT_EQ(e.s().ViewRow, r.viewRow);
        EXPECT_EQ(e.s().ViewCol, r.viewCol);
        EXPECT_EQ(e.view.ScrollBar1->value(), r.viewRow * 32);
        EXPECT_EQ(e.view.ScrollBar2->value(), r.viewCol * 32);
        // Redrawn by the bars' handler: view cell (0, 0) shows map cell (viewRow, viewCol).
        e.s().cell(r.viewRow + 1, r.viewCol + 1) = 9;
        turnWheel(e.view.Image1, QPoint(50, 50), 0);
        e.view.ScrollBar1Scroll(e.view.ScrollBar1->value());
        EXPECT_EQ(e.view.Image1->bitmap().pixel(40, 40), chipColour(9));
    }
}

TEST(Wheel, CtrlZoomsKeepingTheCellUnderThePointer) {
    struct Row {
        int notches;
        int cellSize;
        QPoint at;
        int viewRow, viewCol;
    };
    // From 32-pixel cells at origin (10, 20): pixel (100, 70) is map cell (12, 23).
    const Row rows[] = {{1, 64, {100, 70}, 11, 22},   // (12, 23) is view cell (1, 1) at 64
                        {-1, 16, {100, 70}, 8, 17},   // view cell (4, 6) at 16
                        {-1, 16, {0, 0}, 10, 20},     // the top-left cell stays top-left
                        {1, 64, {319, 319}, 15, 25}}; // (19, 29): the last view cell at 64
    for (const Row& r : rows) {
        SCOPED_TRACE(r.notches);
        BigEditor e;
        e.view.ScrollBar1->setValue(0);
        e.s().ViewRow = 10;
        e.s().ViewCol = 20;
        e.view.redrawView();
        turnWheel(e.view.Image1, r.at, r.notches, Qt::ControlModifier);
        EXPECT_EQ(e.s().CellSize, r.cellSize);
        EXPECT_EQ(e.s().ViewRow, r.viewRow);
        EXPECT_EQ(e.s().ViewCol, r.viewCol);
        EXPECT_EQ(e.view.ScrollBar1->value(), r.viewRow * r.cellSize);
    }
    BigEditor pending;
    pending.main.ZoomInButton->click();
    turnWheel(pending.view.Image1, QPoint(5, 5), 1, Qt::ControlModifier);
    EXPECT_EQ(pending.s().CellSize, 32); // the pending pick owns the next zoom
}

// One zoom step per notch of 120 units: an event of two notches is two steps, half notches add up.
TEST(Wheel, CtrlZoomsOneStepPerNotch) {
    struct Row {
        std::vector<int> deltas;
        int cellSize;
    };
    const Row rows[] = {{{240}, 64}, {{-240}, 8}, {{60}, 32}, {{60, 60}, 64}, {{-360, -360}, 1}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.deltas.front());
        BigEditor e;
        for (int delta : r.deltas)
            turnWheelBy(e.view.Image1, QPoint(5, 5), delta, Qt::ControlModifier);
        EXPECT_EQ(e.s().CellSize, r.cellSize);
    }
}

// A bar that a map or a sheet does not need is hidden and moves for nothing: the view of a map
// that fits and a sheet that fits stay at offset 0.
TEST(Wheel, AHiddenBarMovesNeitherTheViewNorThePalette) {
    Editor e(10); // fits the view at 32-pixel cells
    turnWheel(e.view.Image1, QPoint(5, 5), 1, Qt::ControlModifier); // 64: the map needs bars
    ASSERT_FALSE(e.view.ScrollBar1->isHidden());
    turnWheel(e.view.Image1, QPoint(5, 5), -1, Qt::ControlModifier); // 32 again: it fits
    turnWheel(e.view.Image1, QPoint(5, 5), -2);
    e.view.setBarPosition(e.view.ScrollBar1, 64);
    e.s().CurrentChip = 3;
    e.click(0, 0);
    EXPECT_EQ(e.s().ViewRow, 0);
    EXPECT_EQ(e.s().cell(0, 0), 3);

    // A sheet that fits, loaded after one that needed the vertical bar.
    TMapChipWindow& palette = *e.t->MapChipWindow;
    e.t->setSheet(makeSheet(256, 2560));
    e.t->layoutChipWindow();
    e.t->setSheet(makeSheet(256, 256));
    e.t->layoutChipWindow();
    turnWheel(palette.Image1, QPoint(10, 10), -1);
    EXPECT_EQ(e.s().SheetScrollY, 0);
    EXPECT_EQ(palette.Image1->pos(), QPoint(0, 0));
}

TEST(Wheel, OverThePaletteScrollsByWholeChips) {
    BigEditor e;
    TMapChipWindow& palette = *e.t->MapChipWindow;
    ASSERT_TRUE(palette.ScrollBar1->isVisible());
    turnWheel(palette.Image1, QPoint(10, 10), -2);
    EXPECT_EQ(e.s().SheetScrollY, 64);
    EXPECT_EQ(palette.ScrollBar1->value(), 64);
    turnWheel(palette.Image2, QPoint(10, 10), 1);
    EXPECT_EQ(e.s().SheetScrollY, 32);
}

} // namespace
} // namespace tilora::test
