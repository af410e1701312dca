#include "core/Painting.h"

#include "core/StampBanks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace tilora {
namespace {

using Cells = std::set<std::pair<int, int>>; // (row, column)

EditorState mapOf(int width, int height) {
    EditorState s;
    s.MapWidth = width;
    s.MapHeight = height;
    return s;
}

// Every grid cell (inside the map or not) that differs from 0, the value of an untouched grid.
Cells changedCells(const EditorState& s) {
    Cells out;
    for (int r = 0; r < GridSide; ++r)
        for (int c = 0; c < GridSide; ++c)
            if (s.cell(r, c) != 0) out.insert({r, c});
    return out;
}

TEST(PaintPen, ClipsTheBlockAtTheMapEdges) {
    EditorState s = mapOf(10, 10);
    s.PenSize = 8;
    s.CurrentChip = 4;
    s.HoverRow = 5;
    s.HoverCol = 9;
    Cells offsets;
    const int n = paintPen(s, anchorCell(s), [&](int i, int j) { offsets.insert({i, j}); });
    EXPECT_EQ(n, 5);
    EXPECT_EQ(changedCells(s), (Cells{{5, 9}, {6, 9}, {7, 9}, {8, 9}, {9, 9}}));
    EXPECT_EQ(offsets, (Cells{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));
}

TEST(PaintPen, WritesTheTransparentValueToo) {
    EditorState s = mapOf(20, 20);
    s.PenSize = 2;
    s.CurrentChip = TransparentChip;
    s.ViewRow = 3;
    s.ViewCol = 4;
    EXPECT_EQ(paintPen(s, anchorCell(s)), 4);
    EXPECT_EQ(changedCells(s), (Cells{{3, 4}, {3, 5}, {4, 4}, {4, 5}}));
    EXPECT_EQ(s.cell(3, 4), -1);
}

TEST(PaintPen, StaysInsideTheGridWhateverTheState) {
    EditorState s = mapOf(5000, 5000); // sizes the dialog and the reader never let through
    s.PenSize = 8;
    s.CurrentChip = 3;
    EXPECT_EQ(paintPen(s, {998, 997}), 2 * 3);
    EXPECT_EQ(changedCells(s),
              (Cells{{998, 997}, {998, 998}, {998, 999}, {999, 997}, {999, 998}, {999, 999}}));

    EditorState t = mapOf(10, 10);
    t.PenSize = 4;
    t.CurrentChip = 3;
    Cells offsets;
    EXPECT_EQ(paintPen(t, {-3, -2}, [&](int i, int j) { offsets.insert({i, j}); }), 2);
    EXPECT_EQ(changedCells(t), (Cells{{0, 0}, {0, 1}}));
    EXPECT_EQ(offsets, (Cells{{3, 2}, {3, 3}}));
}

TEST(PasteStamp, TransparentCellsLeaveTheMapAlone) {
    EditorState s = mapOf(20, 20);
    clearStampBank(s.StampBanks, 0, 9); // another bank: must not be used
    clearStampBank(s.StampBanks, 3, TransparentChip);
    stampCell(s.StampBanks, 3, 0, 0) = 7;
    EXPECT_EQ(pasteStamp(s, 3, {4, 6}), 1);
    EXPECT_EQ(changedCells(s), (Cells{{4, 6}}));
    EXPECT_EQ(s.cell(4, 6), 7);
}

TEST(PasteStamp, ClipsAtTheRightAndBottomEdges) {
    EditorState s = mapOf(20, 15);
    for (int r = 0; r < StampSide; ++r)
        for (int c = 0; c < StampSide; ++c)
            stampCell(s.StampBanks, 1, r, c) = 100 + r * 10 + c;
    EXPECT_EQ(pasteStamp(s, 1, {10, s.MapWidth - 3}), 5 * 3);
    Cells expected;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c) {
            expected.insert({10 + r, 17 + c});
            EXPECT_EQ(s.cell(10 + r, 17 + c), 100 + r * 10 + c);
        }
    EXPECT_EQ(changedCells(s), expected);
    EXPECT_EQ(pasteStamp(s, StampBankCount, {0, 0}), 0);
}

TEST(PickChip, ReadsTheGridButNeverBeyondIt) {
    EditorState s = mapOf(10, 10);
    s.CurrentChip = 2;
    s.cell(3, 4) = 12;
    s.cell(20, 30) = 8; // outside the map, inside the grid
    EXPECT_EQ(pickChip(s, {3, 4}), 12);
    EXPECT_EQ(pickChip(s, {20, 30}), 8);
    EXPECT_EQ(pickChip(s, {999, 999}), 0);
    EXPECT_EQ(pickChip(s, {5, 1000}), 2);
    EXPECT_EQ(pickChip(s, {1000, 5}), 2);
    EXPECT_EQ(pickChip(s, {-1, 5}), 2);
}

} // namespace
} // namespace tilora
