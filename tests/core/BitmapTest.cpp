#include "core/Bitmap.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace tilora {
namespace {

// Source pixel k is all ones but bit k, so an AND of several pixels names exactly which ones it
// took: ~(bit(a) | bit(b)) is the AND of pixels a and b.
constexpr Pixel bit(int k) {
    return Pixel(1) << k;
}
constexpr Pixel px(int k) {
    return ~bit(k);
}

Bitmap rowOf(int n) {
    Bitmap b(n, 1);
    for (int x = 0; x < n; ++x)
        b.setPixel(x, 0, px(x));
    return b;
}

std::vector<Pixel> pixelsOf(const Bitmap& b) {
    return {b.data(), b.data() + b.width() * b.height()};
}

struct SpanCase {
    int srcLen;
    int dstLen;
    std::vector<Pixel> expected;
};

// One table for both axes: the same span of source pixels is laid out as a row and as a column.
TEST(StretchBlt, MapsEachDestinationPixelToItsSourceSpan) {
    const std::vector<SpanCase> cases = {
        {3, 3, {px(0), px(1), px(2)}},                    // one to one
        {2, 4, {px(0), px(0), px(1), px(1)}},             // doubling replicates
        {2, 3, {px(0), px(0), px(1)}},                    // uneven enlarge
        {4, 2, {~(bit(0) | bit(1)), ~(bit(2) | bit(3))}}, // halving ANDs pairs
        {3, 2, {px(0), ~(bit(1) | bit(2))}},              // uneven shrink
        {5, 3, {px(0), ~(bit(1) | bit(2)), ~(bit(3) | bit(4))}},
        {4, 1, {~(bit(0) | bit(1) | bit(2))}}, // one pixel: the last is left out
        {2, 1, {px(0)}},
        {1, 1, {px(0)}},
        {32, 1, {bit(31)}}, // all of 0..30 ANDed, bit 31 survives
    };
    for (const SpanCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcLen << " -> " << c.dstLen);
        const Bitmap srcRow = rowOf(c.srcLen);
        Bitmap dstRow(c.dstLen, 1, 0);
        stretchBlt(dstRow, {0, 0, c.dstLen, 1}, srcRow, {0, 0, c.srcLen, 1});
        EXPECT_EQ(pixelsOf(dstRow), c.expected);

        Bitmap srcCol(1, c.srcLen);
        for (int y = 0; y < c.srcLen; ++y)
            srcCol.setPixel(0, y, px(y));
        Bitmap dstCol(1, c.dstLen, 0);
        stretchBlt(dstCol, {0, 0, 1, c.dstLen}, srcCol, {0, 0, 1, c.srcLen});
        EXPECT_EQ(pixelsOf(dstCol), c.expected);
    }
}

TEST(StretchBlt, ShrinkCombinesBothAxes) {
    Bitmap src(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.setPixel(x, y, px(y * 4 + x));
    const auto andOf = [](std::initializer_list<int> ks) {
        Pixel mask = 0;
        for (int k : ks)
            mask |= bit(k);
        return ~mask;
    };

    Bitmap half(2, 2, 0);
    stretchBlt(half, {0, 0, 2, 2}, src, {0, 0, 4, 4});
    EXPECT_EQ(pixelsOf(half), (std::vector<Pixel>{andOf({0, 1, 4, 5}), andOf({2, 3, 6, 7}),
                                                  andOf({8, 9, 12, 13}), andOf({10, 11, 14, 15})}));

    // One pixel wide: columns 0..2 only; two pixels high: rows 0-1 and 2-3.
    Bitmap narrow(1, 2, 0);
    stretchBlt(narrow, {0, 0, 1, 2}, src, {0, 0, 4, 4});
    EXPECT_EQ(pixelsOf(narrow),
              (std::vector<Pixel>{andOf({0, 1, 2, 4, 5, 6}), andOf({8, 9, 10, 12, 13, 14})}));

    Bitmap dot(1, 1, 0);
    stretchBlt(dot, {0, 0, 1, 1}, src, {0, 0, 4, 4});
    EXPECT_EQ(dot.pixel(0, 0), andOf({0, 1, 2, 4, 5, 6, 8, 9, 10}));
}

TEST(StretchBlt, CopiesOneToOneIntoPlaceAndLeavesTheRest) {
    Bitmap src(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            src.setPixel(x, y, px(y * 3 + x));
    Bitmap dst(5, 4, 7);
    stretchBlt(dst, {1, 2, 2, 2}, src, {1, 0, 2, 2});
    const std::vector<Pixel> expected = {
        7, 7,     7,     7, 7, //
        7, 7,     7,     7, 7, //
        7, px(1), px(2), 7, 7, //
        7, px(4), px(5), 7, 7,
    };
    EXPECT_EQ(pixelsOf(dst), expected);
}

TEST(StretchBlt, ClipsAtTheDestinationWithoutShiftingTheMapping) {
    const Bitmap src = rowOf(3);
    // Doubled into a rect starting one pixel left of dst: dst pixel 0 is the second copy of px(0).
    Bitmap dst(4, 1, 7);
    stretchBlt(dst, {-1, 0, 6, 1}, src, {0, 0, 3, 1});
    EXPECT_EQ(pixelsOf(dst), (std::vector<Pixel>{px(0), px(1), px(1), px(2)}));

    // Running off the right and bottom edges.
    Bitmap corner(3, 3, 7);
    Bitmap square(2, 2);
    for (int k = 0; k < 4; ++k)
        square.setPixel(k % 2, k / 2, px(k));
    stretchBlt(corner, {2, 2, 2, 2}, square, {0, 0, 2, 2});
    EXPECT_EQ(pixelsOf(corner), (std::vector<Pixel>{7, 7, 7, 7, 7, 7, 7, 7, px(0)}));

    // Wholly outside, including rects near the int limits.
    Bitmap untouched(3, 3, 7);
    const Bitmap before = untouched;
    stretchBlt(untouched, {3, 0, 2, 2}, square, {0, 0, 2, 2});
    stretchBlt(untouched, {-2, 0, 2, 2}, square, {0, 0, 2, 2});
    stretchBlt(untouched, {2147483600, 0, 100, 1}, square, {0, 0, 2, 2});
    stretchBlt(untouched, {-2147483600, 0, 2147483000, 1}, square, {0, 0, 2, 2});
    EXPECT_EQ(untouched, before);
}

TEST(StretchBlt, SourceOutsideTheBitmapReadsNeutral) {
    const Bitmap src = rowOf(2);
    Bitmap dst(4, 2, 7);
    stretchBlt(dst, {0, 0, 4, 1}, src, {-1, 0, 4, 1});
    EXPECT_EQ(pixelsOf(dst), (std::vector<Pixel>{NeutralPixel, px(0), px(1), NeutralPixel, //
                                                 7, 7, 7, 7}));

    // Rows above the source are neutral too, and a shrink ANDs the neutral pixels in.
    Bitmap shrunk(1, 2, 7);
    stretchBlt(shrunk, {0, 0, 1, 2}, src, {1, -1, 3, 2}); // columns 1..2 (3 dropped), rows -1..0
    EXPECT_EQ(shrunk.pixel(0, 0), NeutralPixel);
    EXPECT_EQ(shrunk.pixel(0, 1), px(1) & NeutralPixel);

    // A null source is all neutral.
    Bitmap fromNothing(2, 1, 7);
    stretchBlt(fromNothing, {0, 0, 2, 1}, Bitmap(), {0, 0, 1, 1});
    EXPECT_EQ(pixelsOf(fromNothing), (std::vector<Pixel>{NeutralPixel, NeutralPixel}));
}

TEST(StretchBlt, EmptyOrNegativeRectsDoNothing) {
    const Bitmap src = rowOf(2);
    Bitmap dst(2, 2, 7);
    const Bitmap before = dst;
    for (const auto& [to, from] : std::vector<std::pair<Rect, Rect>>{
             {{0, 0, 0, 1}, {0, 0, 2, 1}},
             {{0, 0, 2, -1}, {0, 0, 2, 1}},
             {{0, 0, 2, 1}, {0, 0, -2, 1}},
             {{0, 0, 2, 1}, {0, 0, 2, 0}},
         }) {
        stretchBlt(dst, to, src, from);
    }
    EXPECT_EQ(dst, before);
}

TEST(BitmapTest, NonPositiveSizeGivesTheNullBitmap) {
    EXPECT_TRUE(Bitmap(0, 5).isNull());
    EXPECT_TRUE(Bitmap(-3, 5).isNull());
    EXPECT_EQ(Bitmap(-3, 5).width(), 0);
    const Bitmap b(3, 2, 9);
    EXPECT_EQ(pixelsOf(b), std::vector<Pixel>(6, 9));
}

} // namespace
} // namespace tilora
