#include "core/UndoHistory.h"

#include "core/Painting.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace tilora {
namespace {

EditorState mapOf(int side) {
    EditorState s;
    s.MapWidth = s.MapHeight = side;
    return s;
}

// One pen click of the current pen at (row, col), recorded.
int pen(EditorState& s, UndoHistory& h, int row, int col, int chip) {
    s.CurrentChip = chip;
    return h.recordWrites(s, {row, col, s.PenSize, s.PenSize}, [&] { paintPen(s, {row, col}); });
}

// Writes and records one cell directly.
void put(EditorState& s, UndoHistory& h, std::size_t index, int chip) {
    h.record(index, s.MapCells[index], chip);
    s.MapCells[index] = chip;
}

TEST(UndoHistory, UndoAndRedoWriteTheCellsBackAndReportWhere) {
    EditorState s = mapOf(20);
    UndoHistory h;
    s.PenSize = 2;
    EXPECT_EQ(pen(s, h, 3, 4, 5), 4);
    h.closeStep();
    EXPECT_EQ(pen(s, h, 4, 5, 6), 4);
    EXPECT_TRUE(h.canUndo());
    EXPECT_FALSE(h.canRedo());

    const CellArea second = h.undo(s);
    EXPECT_EQ((std::array{second.top, second.left, second.bottom, second.right}),
              (std::array{4, 5, 5, 6}));
    EXPECT_EQ(s.cell(4, 5), 5); // the first step's chip shows again
    EXPECT_EQ(s.cell(5, 6), 0);
    h.undo(s);
    EXPECT_EQ(s.cell(3, 4), 0);
    EXPECT_FALSE(h.canUndo());
    EXPECT_TRUE(h.undo(s).empty());

    h.redo(s);
    h.redo(s);
    EXPECT_EQ(s.cell(3, 4), 5);
    EXPECT_EQ(s.cell(5, 6), 6);
    EXPECT_FALSE(h.canRedo());
    EXPECT_TRUE(h.redo(s).empty());
}

TEST(UndoHistory, AnEditThatChangedNothingIsNoStepAndKeepsTheRedo) {
    EditorState s = mapOf(10);
    UndoHistory h;
    put(s, h, 0, 3);
    h.undo(s);
    EXPECT_EQ(pen(s, h, 5, 5, 0), 0); // the chip the cell already holds
    h.record(9, 4, 4);
    h.closeStep();
    EXPECT_FALSE(h.canUndo());
    EXPECT_TRUE(h.canRedo());
}

TEST(UndoHistory, AStepRunsUntilClosedAndANewEditDropsTheRedo) {
    EditorState s = mapOf(10);
    UndoHistory h;
    put(s, h, 1, 1);
    put(s, h, 2, 1); // the same run
    put(s, h, 1, 2); // a cell written twice goes back to its first chip
    EXPECT_TRUE(h.stepOpen());
    h.closeStep();
    put(s, h, 3, 1);
    h.undo(s); // closes the open step, then undoes it
    EXPECT_EQ(h.stepCount(), 2u);
    EXPECT_EQ(s.MapCells[3], 0);
    put(s, h, 4, 1);
    EXPECT_FALSE(h.canRedo());
    h.undo(s);
    h.undo(s);
    EXPECT_EQ(s.MapCells[1] + s.MapCells[2] + s.MapCells[3] + s.MapCells[4], 0);
}

TEST(UndoHistory, RecordsOnlyTheGridPartOfAnArea) {
    EditorState s = mapOf(5000); // beyond anything the dialog or the reader allows
    UndoHistory h;
    s.PenSize = 8;
    EXPECT_EQ(pen(s, h, 997, 998, 3), 3 * 2);
    EXPECT_EQ(pen(s, h, -6, -7, 3), 2 * 1);
    h.undo(s);
    h.undo(s);
    for (const int chip : s.MapCells)
        ASSERT_EQ(chip, 0);
}

// Script letters: p paints a step and closes it, o paints into a step left open, s saves,
// l loads (clear, then saved), u undoes, r redoes.
void run(EditorState& s, UndoHistory& h, const std::string& script) {
    std::size_t next = 0;
    for (const char op : script) {
        switch (op) {
        case 'p':
        case 'o':
            ++next;
            put(s, h, next, int(next));
            if (op == 'p') h.closeStep();
            break;
        case 's':
            h.markSaved();
            break;
        case 'l':
            h.clear();
            h.markSaved();
            break;
        case 'u':
            h.undo(s);
            break;
        case 'r':
            h.redo(s);
            break;
        }
    }
}

TEST(UndoHistory, TellsWhetherTheMapDiffersFromItsFile) {
    const struct {
        const char* script;
        bool differs;
    } cases[] = {
        {"", true}, // a new map has never been saved
        {"l", false},    {"lp", true},     {"lpu", false}, {"lpur", true}, {"psu", true},
        {"psur", false}, {"pspu", false},  {"lo", true},   {"los", false}, {"losu", true},
        {"lpup", true},  {"lpupu", false}, // the saved point was before the dropped redo
        {"psup", true},  {"psupu", true},  // the saved point was in the dropped redo
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.script);
        EditorState s = mapOf(10);
        UndoHistory h;
        run(s, h, k.script);
        EXPECT_EQ(h.differsFromSaved(), k.differs);
    }
}

TEST(UndoHistory, DropsTheOldestStepsBeyondItsLimit) {
    EditorState s = mapOf(100);
    UndoHistory h(8192); // room for a few steps of 100 cells
    s.PenSize = 1;
    h.markSaved();
    for (int step = 0; step < 20; ++step) {
        for (int c = 0; c < 100; ++c)
            put(s, h, std::size_t(step) * GridSide + c, step * 100 + c + 1); // no two alike
        h.closeStep();
        EXPECT_LE(h.bytesUsed(), 8192u);
    }
    const std::size_t kept = h.stepCount();
    EXPECT_GE(kept, 2u);
    EXPECT_LT(kept, 20u);
    while (h.canUndo())
        h.undo(s);
    EXPECT_EQ(s.cell(19, 0), 0);
    EXPECT_NE(s.cell(int(20 - kept) - 1, 0), 0); // dropped: stays painted
    EXPECT_TRUE(h.differsFromSaved());           // the saved point went with the oldest steps
}

TEST(UndoHistory, AreaOverlapsTheView) {
    const CellArea a{10, 20, 12, 25};
    const struct {
        int row, col, rows, cols;
        bool overlaps;
    } cases[] = {
        {0, 0, 10, 20, false},  {0, 0, 11, 21, true},   {12, 25, 5, 5, true},
        {13, 0, 5, 100, false}, {0, 26, 100, 5, false}, {11, 21, 0, 5, false},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(a.overlaps(k.row, k.col, k.rows, k.cols), k.overlaps)
            << k.row << "," << k.col << " " << k.rows << "x" << k.cols;
    }
    EXPECT_FALSE(CellArea{}.overlaps(0, 0, 1000, 1000));
}

} // namespace
} // namespace tilora

namespace tilora {
namespace {

std::array<int, 4> sides(const CellArea& a) {
    return {a.top, a.left, a.bottom, a.right};
}

// What the overview follows: every cell written through the history since it last looked.
TEST(UndoHistory, TellsWhichCellsWereWrittenSinceItWasLastAsked) {
    EditorState s = mapOf(20);
    UndoHistory h;
    EXPECT_EQ(sides(h.takeTouched()), (std::array{0, 0, GridSide - 1, GridSide - 1})); // new
    EXPECT_TRUE(h.takeTouched().empty());
    s.PenSize = 2;
    pen(s, h, 3, 4, 5);
    pen(s, h, 6, 1, 5);
    EXPECT_EQ(sides(h.takeTouched()), (std::array{3, 1, 7, 5}));
    h.closeStep();
    h.undo(s);
    EXPECT_EQ(sides(h.takeTouched()), (std::array{3, 1, 7, 5}));
    h.record(2 * GridSide + 998, 0, 1, 4); // a run past a row's end: the rows' every column
    EXPECT_EQ(sides(h.takeTouched()), (std::array{2, 0, 3, GridSide - 1}));
    h.clear();
    EXPECT_EQ(sides(h.takeTouched()), (std::array{0, 0, GridSide - 1, GridSide - 1}));
}

} // namespace
} // namespace tilora
