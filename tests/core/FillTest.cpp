#include "core/Fill.h"

#include "core/UndoHistory.h"

#include "DigitMaps.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <vector>

namespace tilora {
namespace {

struct FillCase {
    const char* name;
    std::vector<std::string> before;
    Anchor at;
    int chip;
    int changed;
    std::vector<std::string> after;
};

TEST(FillRegion, ReplacesTheConnectedRegionOnly) {
    const FillCase cases[] = {
        {"walls and diagonals stop it",
         {"0010", "0101", "1100", "0000"},
         {0, 0},
         5,
         3,
         {"5510", "5101", "1100", "0000"}},
        {"winds around walls",
         {"00000", "11110", "00000", "01111", "00000"},
         {4, 4},
         3,
         17,
         {"33333", "11113", "33333", "31111", "33333"}},
        {"the clicked cell's chip, not zero", {"2220", "0200"}, {0, 1}, 4, 4, {"4440", "0400"}},
        {"same chip changes nothing", {"11", "11"}, {1, 1}, 1, 0, {"11", "11"}},
        {"outside the map changes nothing", {"00", "00"}, {0, 2}, 1, 0, {"00", "00"}},
        {"negative anchor changes nothing", {"00", "00"}, {-1, 0}, 1, 0, {"00", "00"}},
    };
    for (const FillCase& k : cases) {
        SCOPED_TRACE(k.name);
        EditorState s = mapFrom(k.before);
        EXPECT_EQ(fillRegion(s, k.at, k.chip), k.changed);
        EXPECT_EQ(rowsOf(s), k.after);
        EXPECT_EQ(s.cell(0, s.MapWidth), 7); // the grid beyond the map is never written
        EXPECT_EQ(s.cell(s.MapHeight, 0), 7);
    }
}

TEST(FillRegion, WholeWindingMapWithoutDeepCalls) {
    // Every odd row is a wall open at one end, alternately right and left: one path through
    // all 1000 x 1000 cells, the worst shape for a fill that recurses.
    EditorState s;
    s.MapWidth = s.MapHeight = GridSide;
    for (int r = 1; r < GridSide; r += 2)
        for (int c = 0; c < GridSide; ++c)
            s.cell(r, c) = (c == ((r / 2) % 2 == 0 ? GridSide - 1 : 0)) ? 0 : 1;
    const std::vector<std::int32_t> before = s.MapCells;
    UndoHistory h;
    EXPECT_EQ(fillRegion(s, {0, 0}, 2, &h), 500 * GridSide + 500);
    EXPECT_EQ(s.cell(GridSide - 2, GridSide - 1), 2);
    EXPECT_EQ(s.cell(GridSide - 1, 1), 1); // walls stay
    EXPECT_LT(h.bytesUsed(), 64u * 1024);  // a record per row span, not per cell
    h.undo(s);
    EXPECT_EQ(s.MapCells, before);
}

// Random maps of two or three chips, some wider than the runs the fill compares at a time,
// against the textbook fill: a queue of single cells.
TEST(FillRegion, MatchesACellByCellFillOnRandomMaps) {
    std::mt19937 random(26);
    EditorState s;
    for (int round = 0; round < 300; ++round) {
        s.MapWidth = 1 + int(random() % 70);
        s.MapHeight = 1 + int(random() % 40);
        const int chips = 2 + int(random() % 2);
        for (int r = 0; r < s.MapHeight; ++r)
            for (int c = 0; c < s.MapWidth; ++c)
                s.cell(r, c) = int(random() % 5) == 0 ? 0 : int(random() % chips);
        const Anchor at{int(random() % s.MapHeight), int(random() % s.MapWidth)};
        std::vector<std::int32_t> expected = s.MapCells;
        const std::int32_t target = s.cell(at.row, at.col);
        int changed = 0;
        std::deque<Anchor> queue{at};
        expected[std::size_t(at.row) * GridSide + at.col] = 9;
        while (!queue.empty()) {
            const Anchor a = queue.front();
            queue.pop_front();
            ++changed;
            for (const Anchor n : {Anchor{a.row - 1, a.col}, Anchor{a.row + 1, a.col},
                                   Anchor{a.row, a.col - 1}, Anchor{a.row, a.col + 1}}) {
                if (n.row < 0 || n.row >= s.MapHeight || n.col < 0 || n.col >= s.MapWidth) continue;
                std::int32_t& cell = expected[std::size_t(n.row) * GridSide + n.col];
                if (cell != target) continue;
                cell = 9;
                queue.push_back(n);
            }
        }
        ASSERT_EQ(fillRegion(s, at, 9), changed) << "round " << round;
        ASSERT_EQ(s.MapCells, expected) << "round " << round;
    }
}

TEST(FillRegion, IsOneStepOfItsOwn) {
    EditorState s = mapFrom({"000", "000"});
    UndoHistory h;
    s.cell(0, 0) = 4;
    h.record(0, 0, 4); // painting still going on
    EXPECT_EQ(fillRegion(s, {1, 1}, 9, &h), 5);
    EXPECT_FALSE(h.stepOpen());
    EXPECT_EQ(h.stepCount(), 2u);
    h.undo(s);
    EXPECT_EQ(rowsOf(s), (std::vector<std::string>{"400", "000"}));
}

} // namespace
} // namespace tilora
