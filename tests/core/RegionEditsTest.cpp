#include "core/RegionEdits.h"

#include "core/Selection.h"
#include "core/StampBanks.h"
#include "core/UndoHistory.h"

#include "DigitMaps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tilora {
namespace {

const std::vector<std::string> Digits = {"0123", "4567", "8901", "2345"};

TEST(Selection, CornersInAnyOrderCutDownToTheMap) {
    const EditorState s = mapFrom(Digits);
    const struct {
        Anchor a, b;
        CellRect rect;
    } cases[] = {
        {{2, 3}, {0, 1}, {0, 1, 3, 3}},
        {{1, 1}, {1, 1}, {1, 1, 1, 1}},
        {{-5, -9}, {1, 0}, {0, 0, 2, 1}},
        {{2, 2}, {90, 90}, {2, 2, 2, 2}},
        {{4, 0}, {9, 3}, {}},
        {{-2147483647, 0}, {2147483647, 0}, {0, 0, 4, 1}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(rectBetween(s, k.a, k.b), k.rect) << k.a.row << "," << k.a.col;
    EXPECT_EQ(mapRect(s), (CellRect{0, 0, 4, 4}));
}

TEST(RegionEdits, CopyTakesOnlyTheCellsOnTheMap) {
    const EditorState s = mapFrom(Digits);
    const ChipBlock block = copyBlock(s, {2, 2, 5, 5});
    EXPECT_EQ(block, (ChipBlock{2, 2, {0, 1, 4, 5}}));
    EXPECT_TRUE(copyBlock(s, {4, 0, 1, 1}).empty());
}

TEST(RegionEdits, CutIsOneStepThatUndoesWithTheOutline) {
    EditorState s = mapFrom(Digits);
    UndoHistory h;
    s.CurrentChip = 9;
    s.Selection = {1, 1, 2, 2};
    EXPECT_EQ(cutSelection(s, h), (ChipBlock{2, 2, {5, 6, 9, 0}}));
    EXPECT_EQ(rowsOf(s), (std::vector<std::string>{"0123", "4997", "8991", "2345"}));
    EXPECT_EQ(s.MapModified, 1);
    s.Selection = {};
    h.undo(s);
    EXPECT_EQ(rowsOf(s), Digits);
    EXPECT_EQ(s.Selection, (CellRect{1, 1, 2, 2}));
    EXPECT_FALSE(h.canUndo());
    h.redo(s);
    EXPECT_EQ(s.cell(2, 2), 9);
}

TEST(RegionEdits, PasteIsCutAtTheEdgesSeesThroughAndBecomesTheSelection) {
    EditorState s = mapFrom(Digits);
    UndoHistory h;
    s.Selection = {0, 0, 1, 1};
    const ChipBlock block{3, 2, {1, TransparentChip, 2, 3, 4, 5}};
    EXPECT_EQ(pasteBlock(s, h, block, {2, 2}), 3);
    EXPECT_EQ(rowsOf(s), (std::vector<std::string>{"0123", "4567", "8911", "2334"}));
    EXPECT_EQ(s.cell(2, 4), 7); // beyond the map
    EXPECT_EQ(s.Selection, (CellRect{2, 2, 2, 2}));
    h.undo(s);
    EXPECT_EQ(rowsOf(s), Digits);
    EXPECT_EQ(s.Selection, (CellRect{0, 0, 1, 1}));
    h.redo(s);
    EXPECT_EQ(s.Selection, (CellRect{2, 2, 2, 2}));
    EXPECT_EQ(s.cell(3, 3), 4);
}

TEST(RegionEdits, MoveLeavesTheCurrentChipAndLosesWhatLeavesTheMap) {
    const struct {
        const char* name;
        int rows, cols;
        std::vector<std::string> after;
        CellRect selection;
    } cases[] = {
        {"overlapping", 0, 1, {"0123", "4956", "8990", "2345"}, {1, 2, 2, 2}},
        {"up and left", -1, -1, {"5623", "9097", "8991", "2345"}, {0, 0, 2, 2}},
        {"partly off the map", 1, 2, {"0123", "4997", "8995", "2349"}, {2, 3, 2, 1}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        EditorState s = mapFrom(Digits);
        UndoHistory h;
        s.CurrentChip = 9;
        s.Selection = {1, 1, 2, 2};
        moveSelection(s, h, k.rows, k.cols);
        EXPECT_EQ(rowsOf(s), k.after);
        EXPECT_EQ(s.Selection, k.selection);
        EXPECT_EQ(s.cell(3, 4), 7);
        h.undo(s);
        EXPECT_EQ(rowsOf(s), Digits);
        EXPECT_EQ(s.Selection, (CellRect{1, 1, 2, 2}));
    }
}

TEST(RegionEdits, CaptureFillsTheBankAndMakesTheRestTransparent) {
    EditorState s = mapFrom(Digits);
    UndoHistory h;
    h.markSaved();
    s.Selection = {1, 2, 3, 2};
    EXPECT_TRUE(captureToStamp(s, h, 4));
    EXPECT_EQ(stampCell(s.StampBanks, 4, 0, 0), 6);
    EXPECT_EQ(stampCell(s.StampBanks, 4, 2, 1), 5);
    EXPECT_EQ(stampCell(s.StampBanks, 4, 0, 2), TransparentChip);
    EXPECT_EQ(stampCell(s.StampBanks, 4, 3, 0), TransparentChip);
    EXPECT_EQ(s.MapModified, 0);
    EXPECT_FALSE(h.differsFromSaved());    // the map is still its file
    EXPECT_FALSE(captureToStamp(s, h, 4)); // the same again: no step

    h.undo(s);
    EXPECT_EQ(stampCell(s.StampBanks, 4, 0, 0), 0);
    EXPECT_EQ(stampCell(s.StampBanks, 4, 9, 9), 0);
    h.redo(s);
    EXPECT_EQ(stampCell(s.StampBanks, 4, 2, 1), 5);

    EditorState big = mapFrom(std::vector<std::string>(12, "012345678901"));
    big.Selection = mapRect(big);
    UndoHistory other;
    captureToStamp(big, other, 0);
    EXPECT_EQ(stampCell(big.StampBanks, 0, 9, 9), 9);
}

TEST(RegionEdits, RectangleAndLineWriteTheCurrentChipInOneStep) {
    EditorState s = mapFrom({"00000", "00000", "00000", "00000"});
    UndoHistory h;
    s.CurrentChip = 1;
    EXPECT_EQ(fillRectangle(s, h, {2, 3}, {1, 6}), 4);
    s.CurrentChip = 2;
    s.PenSize = 2;
    drawLine(s, h, {3, 0}, {0, 3});
    EXPECT_EQ(rowsOf(s), (std::vector<std::string>{"00022", "00222", "02221", "22200"}));
    h.undo(s);
    EXPECT_EQ(rowsOf(s), (std::vector<std::string>{"00000", "00011", "00011", "00000"}));
    EXPECT_EQ(s.MapModified, 1);
}

TEST(RegionEdits, AQuickStrokeLeavesNoGap) {
    EditorState s = mapFrom({"00000000", "00000000"});
    s.CurrentChip = 3;
    std::vector<int> drawn;
    const StrokeResult r =
        paintStroke(s, nullptr, {0, 0}, {0, 6}, [&](int, int col) { drawn.push_back(col); });
    EXPECT_EQ(rowsOf(s), (std::vector<std::string>{"03333330", "00000000"}));
    EXPECT_EQ(drawn, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(r.written, 6);
    s.PenSize = 2; // neighbours and the same cell: the pen's square at the new cell only
    EXPECT_EQ(paintStroke(s, nullptr, {0, 4}, {1, 5}).written, 2);
    EXPECT_EQ(paintStroke(s, nullptr, {0, 0}, {0, 0}).written, 4);
}

} // namespace
} // namespace tilora
