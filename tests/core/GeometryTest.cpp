#include "core/Geometry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace tilora {
namespace {

TEST(PixelToCell, BoundaryPixelBelongsToTheCellBefore) {
    struct Case {
        int pixel, size, cell;
    };
    const Case cases[] = {
        {0, 32, 0}, {32, 32, 0}, {33, 32, 1}, {64, 32, 1},   {65, 32, 2}, {319, 32, 9},
        {0, 1, 0},  {1, 1, 0},   {2, 1, 1},   {319, 1, 318}, {5, 64, 0},  {-7, 32, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pixelToCell(c.pixel, c.size), c.cell) << c.pixel << " at size " << c.size;
    }
}

TEST(PixelToCell, AgreesWithTheCountingLoop) {
    for (int size : {1, 2, 4, 5, 8, 16, 32, 64}) {
        for (int pixel = 0; pixel <= 640; ++pixel) {
            int x = pixel, cell = 0;
            while (x > size) {
                x -= size;
                ++cell;
            }
            ASSERT_EQ(pixelToCell(pixel, size), cell) << pixel << " at size " << size;
        }
    }
}

TEST(SnapSheetScroll, RoundsDownToWholeChips) {
    const int cases[][2] = {{70, 64}, {63, 32}, {64, 64}, {0, 0}, {31, 0}, {33, 32}, {-5, -5}};
    for (const auto& c : cases)
        EXPECT_EQ(snapSheetScroll(c[0]), c[1]) << c[0];
}

TEST(ChipIndex, RowMajorOverWholeSquares) {
    // A sheet 256 wide has 8 chips per row: column 2 of row 4 is chip 34.
    EXPECT_EQ(chipIndexAt(2, 4, 256 / 32), 34);
    EXPECT_EQ(chipCount(256, 640), 8 * 20);
    EXPECT_EQ(chipCount(100, 70), 3 * 2); // partial squares are not chips
    EXPECT_EQ(chipCount(31, 640), 0);
    EXPECT_EQ(chipCount(-64, 64), 0);
}

TEST(GuardedChip, TakesOnlyChipsTheSheetHas) {
    struct Case {
        std::int32_t wanted, current;
        int chips;
        std::int32_t result;
    };
    const Case cases[] = {
        {63, 5, 64, 63},                  // the last chip
        {64, 5, 64, 5},                   // one past it: refused, the current one stays
        {-2, 5, 64, 5},  {-1, 5, 64, -1}, // the transparent chip of a stamp cell
        {7, 7, 4, 0},                     // a smaller sheet drops a chip it does not have
        {3, 9, 0, 0},                     // no sheet, no chip
    };
    for (const Case& c : cases)
        EXPECT_EQ(guardedChip(c.wanted, c.current, c.chips), c.result) << c.wanted;
}

TEST(SaturateToInt, HoldsWideValuesAtTheEndsOfTheRange) {
    EXPECT_EQ(saturateToInt(std::int64_t(1) << 40), std::numeric_limits<int>::max());
    EXPECT_EQ(saturateToInt(-(std::int64_t(1) << 40)), std::numeric_limits<int>::min());
    EXPECT_EQ(saturateToInt(-12), -12);
}

} // namespace
} // namespace tilora
