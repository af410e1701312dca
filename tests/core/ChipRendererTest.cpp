#include "core/ChipRenderer.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace tilora {
namespace {

constexpr std::int32_t Huge = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t MostNegative = std::numeric_limits<std::int32_t>::min();
constexpr Pixel Background = 0x12345678u;

// Every pixel different and random, so that a wrong source pixel shows at full size; the high
// bits are shared by each 16 x 16 block, so that reduced chips (which AND their pixels together)
// keep distinct colours and a cell or row drawn from the wrong place shows too.
Bitmap randomSheet(int w, int h, unsigned seed) {
    Bitmap sheet(w, h);
    std::mt19937 rng(seed);
    const int blocksAcross = (w + 15) / 16;
    std::vector<Pixel> block(std::size_t(blocksAcross) * ((h + 15) / 16));
    for (Pixel& b : block)
        b = Pixel(rng()) & 0xFFFFFF00u;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            sheet.setPixel(x, y,
                           block[std::size_t(y / 16) * blocksAcross + x / 16] | (rng() & 0xFFu));
    return sheet;
}

// The cell drawing rule written out plainly: one stretchBlt per cell, from the chip's square or,
// for a chip the sheet does not wholly hold, from the neutral chip; every cell that lies on the
// view, wholly or in part.
Bitmap referenceView(const Bitmap* sheet, const EditorState& st, int width = ViewPixels,
                     int height = ViewPixels) {
    Bitmap view(width, height, Background);
    const int s = st.CellSize;
    for (int i = 0; i * s < height; ++i) {
        for (int j = 0; j * s < width; ++j) {
            const long long row = (long long)st.ViewRow + i;
            const long long col = (long long)st.ViewCol + j;
            long long chip = -1;
            if (row >= 0 && row < GridSide && col >= 0 && col < GridSide)
                chip = st.MapCells[row * GridSide + col];
            bool onSheet = false;
            long long left = 0;
            long long top = 0;
            if (sheet != nullptr && st.SheetColumns > 0 && chip >= 0) {
                left = chip % st.SheetColumns * 32;
                top = chip / st.SheetColumns * 32;
                onSheet = left + 32 <= sheet->width() && top + 32 <= sheet->height();
            }
            const Rect to{j * s, i * s, s, s};
            if (onSheet)
                stretchBlt(view, to, *sheet, {int(left), int(top), 32, 32});
            else
                stretchBlt(view, to, neutralChip(), {0, 0, 32, 32});
        }
    }
    return view;
}

Bitmap rendered(ChipRenderer& renderer, const EditorState& st, int width = ViewPixels,
                int height = ViewPixels) {
    Bitmap view(width, height, Background);
    renderer.redrawView(view, st);
    return view;
}

// A map of chips on the sheet, just past it, and far outside it in both directions.
std::unique_ptr<EditorState> mixedMap(unsigned seed) {
    auto st = std::make_unique<EditorState>();
    const std::vector<std::int32_t> chips = {0, 1, 2,  3,  4,   5,    6,    7,
                                             8, 9, -1, -2, -33, 1000, Huge, MostNegative};
    std::mt19937 rng(seed);
    for (auto& c : st->MapCells)
        c = chips[rng() % chips.size()];
    return st;
}

struct ViewCase {
    int sheetColumns;
    int viewRow;
    int viewCol;
};

// The sheet is 100 x 80: three whole columns with a 4-pixel partial column, two whole rows with a
// 16-pixel partial row. SheetColumns 4 puts chips 3 and 7 into the partial column, 2 leaves the
// third column unused; a view reaching past the grid's edge must read nothing outside it.
TEST(ChipRenderer, RedrawMatchesTheCellRuleAtEveryCellSize) {
    const Bitmap sheet = randomSheet(100, 80, 1);
    const auto st = mixedMap(2);
    const std::vector<ViewCase> cases = {{3, 7, 13}, {4, 990, -5}, {2, -3, 995}};
    // Every vector path is forced in turn, so the narrower ones are checked on any processor.
    const VectorPath paths[] = {VectorPath::Scalar, VectorPath::Sse2, VectorPath::Avx2};
    for (const ViewCase& c : cases) {
        st->SheetColumns = c.sheetColumns;
        st->ViewRow = c.viewRow;
        st->ViewCol = c.viewCol;
        ChipRenderer renderers[std::size(paths)];
        for (std::size_t k = 0; k < std::size(paths); ++k) {
            renderers[k].setSheet(&sheet);
            renderers[k].setWidestVectorPath(paths[k]);
        }
        for (int size = 1; size <= 64; ++size) {
            st->CellSize = size;
            const auto reference = referenceView(&sheet, *st); // the same for every path
            for (std::size_t k = 0; k < std::size(paths); ++k) {
                SCOPED_TRACE(testing::Message()
                             << "columns " << c.sheetColumns << " view (" << c.viewRow << ", "
                             << c.viewCol << ") size " << size << " path " << int(paths[k]));
                ASSERT_EQ(rendered(renderers[k], *st), reference);
            }
        }
    }
}

// A view larger than laid out (the map window made larger) is the laid-out views side by side,
// each from its own origin; one with a partial cell at its edges (a window not yet snapped to
// whole cells) follows the cell rule there too, clipped.
TEST(ChipRenderer, RedrawFillsALargerViewOfAnySize) {
    const Bitmap sheet = randomSheet(100, 80, 11);
    const auto st = mixedMap(12);
    st->SheetColumns = 3;
    const int origin = 40;
    for (int size : {1, 2, 4, 8, 16, 32, 64}) {
        st->CellSize = size;
        st->ViewRow = st->ViewCol = origin;
        const Bitmap partial = referenceView(&sheet, *st, 333, 346);
        for (VectorPath path : {VectorPath::Scalar, VectorPath::Sse2, VectorPath::Avx2}) {
            SCOPED_TRACE(testing::Message() << "size " << size << " path " << int(path));
            ChipRenderer renderer;
            renderer.setSheet(&sheet);
            renderer.setWidestVectorPath(path);
            st->ViewRow = st->ViewCol = origin;
            ASSERT_EQ(rendered(renderer, *st, 333, 346), partial);
            const Bitmap large = rendered(renderer, *st, 1280, 960);
            for (int ty = 0; ty < 960; ty += ViewPixels) {
                for (int tx = 0; tx < 1280; tx += ViewPixels) {
                    st->ViewRow = origin + ty / size;
                    st->ViewCol = origin + tx / size;
                    const Bitmap tile = rendered(renderer, *st);
                    for (int y = 0; y < ViewPixels; ++y) {
                        for (int x = 0; x < ViewPixels; ++x) {
                            ASSERT_EQ(large.pixel(tx + x, ty + y), tile.pixel(x, y))
                                << "at (" << tx + x << ", " << ty + y << ")";
                        }
                    }
                }
            }
        }
    }
}

TEST(ChipRenderer, WithoutAUsableSheetEveryCellIsNeutral) {
    const Bitmap narrow = randomSheet(31, 64, 3);
    const auto st = mixedMap(4);
    for (int size : {1, 2, 7, 32, 64}) {
        st->CellSize = size;
        ChipRenderer none;
        st->SheetColumns = 0;
        EXPECT_EQ(rendered(none, *st), referenceView(nullptr, *st)) << size;

        ChipRenderer tooNarrow;
        tooNarrow.setSheet(&narrow);
        st->SheetColumns = 1;
        EXPECT_EQ(rendered(tooNarrow, *st), referenceView(nullptr, *st)) << size;
    }
}

TEST(ChipRenderer, NewSheetCellSizeOrColumnCountDropsTheCache) {
    Bitmap first = randomSheet(256, 64, 5);
    const Bitmap second = randomSheet(128, 128, 6);
    const auto st = mixedMap(7);
    ChipRenderer renderer;
    renderer.setSheet(&first);
    st->SheetColumns = 8;
    st->CellSize = 4;
    ASSERT_EQ(rendered(renderer, *st), referenceView(&first, *st));

    renderer.setSheet(&second);
    st->SheetColumns = 4;
    for (int size : {4, 8, 1, 4, 16, 32, 64, 2}) {
        st->CellSize = size;
        ASSERT_EQ(rendered(renderer, *st), referenceView(&second, *st)) << size;
    }
    st->SheetColumns = 3; // same sheet and size, other numbering
    ASSERT_EQ(rendered(renderer, *st), referenceView(&second, *st));

    // The same sheet object with new pixels, handed over again.
    renderer.setSheet(&first);
    st->SheetColumns = 8;
    ASSERT_EQ(rendered(renderer, *st), referenceView(&first, *st));
    first = randomSheet(256, 64, 8);
    renderer.setSheet(&first);
    EXPECT_EQ(rendered(renderer, *st), referenceView(&first, *st));
}

TEST(ChipRenderer, DrawChipClipsAtEveryEdge) {
    const Bitmap sheet = randomSheet(128, 64, 9);
    ChipRenderer renderer;
    renderer.setSheet(&sheet);
    const std::vector<std::pair<int, int>> places = {
        {-5, -7}, {310, 315}, {-40, 100}, {100, -70},     {319, 319},
        {320, 0}, {0, 320},   {-64, -64}, {Huge - 10, 5}, {MostNegative, MostNegative}};
    for (int size : {1, 3, 16, 31, 32, 40, 64}) {
        for (std::int32_t chip : {5, -1}) {
            for (const auto& [x, y] : places) {
                SCOPED_TRACE(testing::Message() << "size " << size << " chip " << chip << " at ("
                                                << x << ", " << y << ")");
                Bitmap expected(ViewPixels, ViewPixels, Background);
                const bool onSheet = chip >= 0;
                stretchBlt(expected, {x, y, size, size}, onSheet ? sheet : neutralChip(),
                           onSheet ? Rect{32, 32, 32, 32} : Rect{0, 0, 32, 32});
                Bitmap actual(ViewPixels, ViewPixels, Background);
                renderer.drawChip(actual, x, y, size, 4, chip);
                ASSERT_EQ(actual, expected);
            }
        }
    }
}

TEST(ChipSquare, SourceSquareAndWhetherTheSheetHoldsIt) {
    EXPECT_EQ(chipSourceRect(0, 8), (Rect{0, 0, 32, 32}));
    EXPECT_EQ(chipSourceRect(7, 8), (Rect{224, 0, 32, 32}));
    EXPECT_EQ(chipSourceRect(19, 8), (Rect{96, 64, 32, 32})); // row 2, column 3
    EXPECT_EQ(chipSourceRect(-1, 8), (Rect{-32, 0, 32, 32})); // truncating division
    EXPECT_EQ(chipSourceRect(-9, 8), (Rect{-32, -32, 32, 32}));
    EXPECT_GT(std::int64_t(chipSourceRect(Huge, 1).y) + 32, 1LL << 30); // far away, not wrapped

    const Bitmap sheet(100, 80); // 3 whole columns, 2 whole rows
    struct Case {
        std::int32_t chip;
        int columns;
        bool on;
    };
    for (const Case& c : std::vector<Case>{{0, 3, true},
                                           {5, 3, true},
                                           {6, 3, false},
                                           {-1, 3, false},
                                           {Huge, 3, false},
                                           {3, 4, false},
                                           {4, 4, true},
                                           {7, 4, false},
                                           {0, 0, false},
                                           {0, -3, false},
                                           {MostNegative, 1, false}}) {
        EXPECT_EQ(chipOnSheet(c.chip, c.columns, sheet), c.on) << c.chip << " / " << c.columns;
    }
}

} // namespace
} // namespace tilora
