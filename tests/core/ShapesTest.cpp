#include "core/Shapes.h"

#include <gtest/gtest.h>

#include <vector>

namespace tilora {
namespace {

TEST(Shapes, PenLineIsOneSpanPerRow) {
    const struct {
        const char* name;
        Anchor from, to;
        int pen;
        bool skipFrom;
        std::vector<RowSpan> spans;
    } cases[] = {
        {"one cell", {2, 3}, {2, 3}, 1, false, {{2, 3, 1}}},
        {"sideways, backwards", {0, 6}, {0, 0}, 1, false, {{0, 0, 7}}},
        {"shallow slope rounds to the nearest row",
         {0, 0},
         {2, 5},
         1,
         false,
         {{0, 0, 2}, {1, 2, 2}, {2, 4, 2}}},
        {"steep", {0, 0}, {3, 1}, 1, false, {{0, 0, 1}, {1, 0, 1}, {2, 1, 1}, {3, 1, 1}}},
        {"pen 2 diagonal", {0, 0}, {2, 2}, 2, false, {{0, 0, 2}, {1, 0, 3}, {2, 1, 3}, {3, 2, 2}}},
        {"the first square left out", {0, 0}, {0, 3}, 2, true, {{0, 1, 4}, {1, 1, 4}}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(penLineSpans(k.from, k.to, k.pen, k.skipFrom), k.spans) << k.name;
}

TEST(Shapes, AFarAwayEndCostsOnlyTheCellsNearTheGrid) {
    const auto spans = penLineSpans({5, -2000000000}, {5, 2000000000}, 8);
    ASSERT_EQ(spans.size(), 8u);
    EXPECT_EQ(spans[0], (RowSpan{5, -8, 8 + GridSide + 7})); // every step near the grid
    const auto steep = penLineSpans({-2000000000, 0}, {2000000000, 0}, 1);
    EXPECT_EQ(steep.size(), std::size_t(1 + GridSide));
}

TEST(Shapes, NeighboursAndRectangles) {
    EXPECT_TRUE(adjacentCells({3, 3}, {4, 2}));
    EXPECT_TRUE(adjacentCells({3, 3}, {3, 3}));
    EXPECT_FALSE(adjacentCells({3, 3}, {3, 5}));
    EXPECT_EQ(rectSpans({1, 2, 2, 3}), (std::vector<RowSpan>{{1, 2, 3}, {2, 2, 3}}));
    EXPECT_TRUE(rectSpans({1, 2, 0, 3}).empty());
}

} // namespace
} // namespace tilora
