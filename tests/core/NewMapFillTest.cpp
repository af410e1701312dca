#include "core/NewMap.h"

#include <gtest/gtest.h>

namespace tilora {
namespace {

TEST(StartNewMap, FillsOnlyTheMapRectangleAndClearsTheStamps) {
    EditorState s;
    s.cell(0, 20) = 9; // beyond the new map: kept
    s.StampBanks[5] = 3;
    s.CurrentChip = 7;
    startNewMap(s, 20, 12);
    EXPECT_EQ(s.MapWidth, 20);
    EXPECT_EQ(s.MapHeight, 12);
    EXPECT_EQ(s.cell(0, 0), 7);
    EXPECT_EQ(s.cell(11, 19), 7);
    EXPECT_EQ(s.cell(12, 0), 0);
    EXPECT_EQ(s.cell(0, 20), 9);
    EXPECT_EQ(s.StampBanks[5], 0);
}

} // namespace
} // namespace tilora
