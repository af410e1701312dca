#include "core/ChipRenderer.h"

#include "core/Geometry.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>
#define TILORA_AVX2_AT_RUN_TIME 1
#endif

namespace tilora {

namespace {

// The neutral chip: light grey with a mid-grey frame and diagonal cross. The line colour's bits are
// a subset of the fill's, so the AND of any shrink stays mid grey (at cell size 1 the chip becomes
// exactly NeutralPixel) instead of turning black.
constexpr Pixel NeutralFill = 0xFFC0C0C0u;
constexpr Pixel NeutralLine = 0xFF808080u;

Bitmap makeNeutralChip() {
    Bitmap chip(ChipPixels, ChipPixels, NeutralFill);
    for (int k = 0; k < ChipPixels; ++k) {
        chip.setPixel(k, 0, NeutralLine);
        chip.setPixel(k, ChipPixels - 1, NeutralLine);
        chip.setPixel(0, k, NeutralLine);
        chip.setPixel(ChipPixels - 1, k, NeutralLine);
        chip.setPixel(k, k, NeutralLine);
        chip.setPixel(ChipPixels - 1 - k, k, NeutralLine);
    }
    return chip;
}

// The part of a size x size square at (x, y) that lies on dst, relative to the square's corner.
struct Clip {
    int x0, y0, x1, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Clip clipSquare(const Bitmap& dst, int x, int y, int size) {
    const auto lo = [size](int at) {
        return int(std::clamp<std::int64_t>(-std::int64_t(at), 0, size));
    };
    const auto hi = [size](int at, int extent) {
        return int(std::clamp<std::int64_t>(std::int64_t(extent) - at, 0, size));
    };
    return {lo(x), lo(y), hi(x, dst.width()), hi(y, dst.height())};
}

// Copies the clipped part of a square whose source rows are `stride` pixels apart.
void copyClipped(Bitmap& dst, int x, int y, const Clip& c, const Pixel* src, std::size_t stride) {
    const std::size_t bytes = std::size_t(c.x1 - c.x0) * sizeof(Pixel);
    for (int cy = c.y0; cy < c.y1; ++cy) {
        std::memcpy(dst.row(y + cy) + x + c.x0, src + std::size_t(cy) * stride + c.x0, bytes);
    }
}

// Each pixel of a 32 x 32 square becomes a 2 x 2 block; `src` rows are `stride` pixels apart.
void doubleClipped(Bitmap& dst, int x, int y, const Clip& c, const Pixel* src, std::size_t stride) {
    for (int cy = c.y0; cy < c.y1; ++cy) {
        const Pixel* in = src + std::size_t(cy / 2) * stride;
        Pixel* out = dst.row(y + cy) + x;
        if (cy > c.y0 && (cy & 1)) { // the odd row repeats the even row just written
            std::memcpy(out + c.x0, dst.row(y + cy - 1) + x + c.x0,
                        std::size_t(c.x1 - c.x0) * sizeof(Pixel));
            continue;
        }
        for (int cx = c.x0; cx < c.x1; ++cx)
            out[cx] = in[cx / 2];
    }
}

// The unclipped squares of the full redraw, with sizes the compiler can see.
void copySquare32(Pixel* out, std::size_t outStride, const Pixel* src, std::size_t srcStride) {
    for (int r = 0; r < ChipPixels; ++r) {
        std::memcpy(out + r * outStride, src + r * srcStride, ChipPixels * sizeof(Pixel));
    }
}

void doubleSquare64(Pixel* out, std::size_t outStride, const Pixel* src, std::size_t srcStride) {
    for (int r = 0; r < ChipPixels; ++r, src += srcStride, out += 2 * outStride) {
        for (int k = 0; k < ChipPixels; ++k)
            out[2 * k] = out[2 * k + 1] = src[k];
        std::memcpy(out + outStride, out, 2 * ChipPixels * sizeof(Pixel));
    }
}

// The cache as plain values, so that the hot loops keep them in registers.
struct CacheView {
    const Pixel* base;
    std::uint32_t chips; // whole chips on the sheet; slot `chips` holds the neutral chip
    int columns;         // whole chip columns cached
    int rows;
    int sheetColumns;

    // Direct: the sheet has exactly sheetColumns whole columns, so the chip number is the slot,
    // and a negative chip, read unsigned, lands above `chips` like any number past the last chip.
    template <bool Direct> std::uint32_t slot(std::int32_t chip) const {
        if constexpr (Direct) {
            return std::min(std::uint32_t(chip), chips);
        } else {
            if (chip < 0 || sheetColumns <= 0) return chips;
            const int col = chip % sheetColumns;
            const int row = chip / sheetColumns;
            return col < columns && row < rows ? std::uint32_t(row * columns + col) : chips;
        }
    }
    bool direct() const { return columns == sheetColumns; }
    const Pixel* pixels(std::int32_t chip, std::uint32_t chipLength) const {
        return base + (direct() ? slot<true>(chip) : slot<false>(chip)) * chipLength;
    }
};

CacheView viewOf(const Bitmap& cache, int columns, int rows, int sheetColumns) {
    return {cache.data(), std::uint32_t(columns * rows), columns, rows, sheetColumns};
}

// Where each cell of a view row starts in the cache, worked out for the whole row before any
// pixel moves (a loop without branches). Columns [from, last) hold cells[j - from], the rest
// are neutral.
template <bool Direct>
inline void cellOffsets(std::uint32_t* offset, int n, std::uint32_t chipLength,
                        const CacheView& cache, const std::int32_t* cells, int from, int last) {
    const std::uint32_t neutral = cache.chips * chipLength;
    for (int j = 0; j < from; ++j)
        offset[j] = neutral;
    for (int j = from; j < last; ++j)
        offset[j] = cache.slot<Direct>(cells[j - from]) * chipLength;
    for (int j = std::max(from, last); j < n; ++j)
        offset[j] = neutral;
}

// Copies one row of n cells out of the cache. S is the cell size when fixed at compile time, 0
// when `size` holds it.
template <int S>
inline void copyCells(Pixel* out, std::size_t stride, int n, int size, const Pixel* base,
                      const std::uint32_t* offset, bool sse2) {
    const std::size_t s = S ? S : std::size_t(size);
    (void)sse2; // only cell size 2 has a vector path here
    int j = 0;
#if defined(__SSE2__)
    if constexpr (S == 2) {
        // A cached 2 x 2 chip is 16 bytes, its top row then its bottom row: two neighbouring
        // cells give one 16-byte store per pixel row instead of four 8-byte ones.
        for (; sse2 && j + 1 < n; j += 2) {
            const auto a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset[j]));
            const auto b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset[j + 1]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * j), _mm_unpacklo_epi64(a, b));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + stride + 2 * j),
                             _mm_unpackhi_epi64(a, b));
        }
    }
#endif
    for (; j < n; ++j) {
        const Pixel* src = base + offset[j];
        Pixel* to = out + std::size_t(j) * s;
        for (std::size_t r = 0; r < s; ++r) {
            std::memcpy(to + r * stride, src + r * s, s * sizeof(Pixel));
        }
    }
}

template <int S, bool Direct>
void drawCachedRow(Pixel* out, std::size_t stride, int n, int size, const CacheView& cache,
                   const std::int32_t* cells, int from, int last, std::uint32_t* offset,
                   bool sse2) {
    if constexpr (S == 1) {
        // One pixel per cell: the chip's pixel straight from the cache, in one pass.
        const Pixel neutral = cache.base[cache.chips];
        const int end = std::max(from, last);
        std::fill(out, out + from, neutral);
        for (int j = from; j < end; ++j)
            out[j] = cache.base[cache.slot<Direct>(cells[j - from])];
        std::fill(out + end, out + n, neutral);
        return;
    }
    const std::uint32_t s = S ? S : std::uint32_t(size);
    cellOffsets<Direct>(offset, n, s * s, cache, cells, from, last);
    copyCells<S>(out, stride, n, size, cache.base, offset, sse2);
}

#if TILORA_AVX2_AT_RUN_TIME
// Cell size 2 has the most cells per pixel and gains most from wider registers: this version
// works out the offsets eight at a time and writes one pixel row of four cells per 32-byte store.
// It is compiled for AVX2 and only chosen on processors that have it.
template <bool Direct>
__attribute__((target("avx2"))) void
drawRowOfTwoAvx2(Pixel* out, std::size_t stride, int n, const CacheView& cache,
                 const std::int32_t* cells, int from, int last, std::uint32_t* offset) {
    cellOffsets<Direct>(offset, n, 4, cache, cells, from, last);
    const Pixel* const base = cache.base;
    const auto chip = [&](int k) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset[k]));
    };
    int j = 0;
    for (; j + 4 <= n; j += 4) {
        const __m256i ac = _mm256_inserti128_si256(_mm256_castsi128_si256(chip(j)), chip(j + 2), 1);
        const __m256i bd =
            _mm256_inserti128_si256(_mm256_castsi128_si256(chip(j + 1)), chip(j + 3), 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * j), _mm256_unpacklo_epi64(ac, bd));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + stride + 2 * j),
                            _mm256_unpackhi_epi64(ac, bd));
    }
    for (; j < n; ++j) { // a view whose width is not a multiple of four cells
        const __m128i c = chip(j);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 2 * j), c);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + stride + 2 * j),
                         _mm_unpackhi_epi64(c, c));
    }
}

// The cached pixels of the eight chips at `chips`, a chip number past `limit` (negative ones read
// unsigned) taking the pixel at `limit`.
__attribute__((target("avx2"), always_inline)) inline __m256i
gatherPixels(const std::int32_t* chips, const int* base, __m256i limit) {
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(chips));
    return _mm256_i32gather_epi32(base, _mm256_min_epu32(c, limit), 4);
}

// Cell size 1 with the sheet's numbering as the cache's: eight cells' pixels gathered at once,
// a chip number the cache lacks (negative ones read unsigned) held at the neutral chip's slot.
__attribute__((target("avx2"))) void drawRowOfOnesAvx2(Pixel* out, int n, const CacheView& cache,
                                                       const std::int32_t* cells, int from,
                                                       int last) {
    const Pixel neutral = cache.base[cache.chips];
    const int end = std::max(from, last);
    std::fill(out, out + from, neutral);
    const __m256i limit = _mm256_set1_epi32(int(cache.chips));
    const int* base = reinterpret_cast<const int*>(cache.base);
    // cells[j - from]: the chip of view column j (a row wholly off the map has no cells, and a
    // pointer is never formed before them)
    int j = from;
    for (; j + 16 <= end; j += 16) { // two gathers under way at once
        const __m256i a = gatherPixels(cells + (j - from), base, limit);
        const __m256i b = gatherPixels(cells + (j - from) + 8, base, limit);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), a);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j + 8), b);
    }
    for (; j + 8 <= end; j += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j),
                            gatherPixels(cells + (j - from), base, limit));
    for (; j < end; ++j)
        out[j] = cache.base[cache.slot<true>(cells[j - from])];
    std::fill(out + end, out + n, neutral);
}

// Asked of the processor the first time a view is drawn, not when the program starts, as
// __builtin_cpu_supports would have it (a constructor that runs CPUID, which a virtual machine
// makes slow, in every program linking this file, tilora-cli included). AVX2 is usable when the
// processor has it and the system saves the AVX registers (XCR0 bits 1 and 2).
bool hasAvx2() {
    static const bool has = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE) || !(c & bit_AVX)) return false;
        unsigned low = 0, high = 0;
        __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        if ((low & 6u) != 6u) return false;
        return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_AVX2) != 0;
    }();
    return has;
}
#endif

// One view row of n cells; `offset` has room for n entries.
template <int S>
void drawCachedRow(VectorPath widest, bool direct, Pixel* out, std::size_t stride, int n, int size,
                   const CacheView& cache, const std::int32_t* cells, int from, int last,
                   std::uint32_t* offset) {
#if TILORA_AVX2_AT_RUN_TIME
    if constexpr (S == 1) {
        if (widest == VectorPath::Avx2 && direct && hasAvx2()) {
            drawRowOfOnesAvx2(out, n, cache, cells, from, last);
            return;
        }
    }
    if constexpr (S == 2) {
        if (widest == VectorPath::Avx2 && hasAvx2()) {
            if (direct)
                drawRowOfTwoAvx2<true>(out, stride, n, cache, cells, from, last, offset);
            else
                drawRowOfTwoAvx2<false>(out, stride, n, cache, cells, from, last, offset);
            return;
        }
    }
#endif
    const bool sse2 = widest != VectorPath::Scalar;
    if (direct)
        drawCachedRow<S, true>(out, stride, n, size, cache, cells, from, last, offset, sse2);
    else
        drawCachedRow<S, false>(out, stride, n, size, cache, cells, from, last, offset, sse2);
}

// The chip at view cell (i, j); anything outside the grid reads as -1, which no sheet has.
std::int32_t viewChip(const EditorState& state, int i, int j) {
    const std::int64_t row = std::int64_t(state.ViewRow) + i;
    const std::int64_t col = std::int64_t(state.ViewCol) + j;
    if (row < 0 || row >= GridSide || col < 0 || col >= GridSide) return TransparentChip;
    const std::size_t at = std::size_t(row) * GridSide + std::size_t(col);
    return at < state.MapCells.size() ? state.MapCells[at] : TransparentChip;
}

} // namespace

const Bitmap& neutralChip() {
    static const Bitmap chip = makeNeutralChip();
    return chip;
}

Rect chipSourceRect(std::int32_t chip, int sheetColumns) {
    // 64-bit so that huge chip numbers give a square far outside any sheet, not a wrapped one.
    const std::int64_t col = std::int64_t(chip) % sheetColumns;
    const std::int64_t row = std::int64_t(chip) / sheetColumns;
    return {saturateToInt(col * ChipPixels), saturateToInt(row * ChipPixels), ChipPixels,
            ChipPixels};
}

bool chipOnSheet(std::int32_t chip, int sheetColumns, const Bitmap& sheet) {
    if (sheetColumns <= 0 || chip < 0) return false;
    const std::int64_t col = chip % sheetColumns;
    const std::int64_t row = chip / sheetColumns;
    return (col + 1) * ChipPixels <= sheet.width() && (row + 1) * ChipPixels <= sheet.height();
}

void ChipRenderer::setSheet(const Bitmap* sheet) {
    sheet_ = sheet;
    cache_ = Bitmap();
    cacheCellSize_ = 0;
    cacheColumns_ = 0;
    cacheRows_ = 0;
    cacheSheetColumns_ = 0;
}

void ChipRenderer::ensureCache(int cellSize, int sheetColumns) {
    if (!cache_.isNull() && cacheCellSize_ == cellSize && cacheSheetColumns_ == sheetColumns)
        return;

    // Only whole chips get a slot: a partial column or row at the sheet's edge has none.
    int columns = 0;
    int rows = 0;
    if (sheet_ != nullptr && sheetColumns > 0) {
        columns = std::min(sheetColumns, sheet_->width() / ChipPixels);
        rows = sheet_->height() / ChipPixels;
        if (columns <= 0 || rows <= 0) columns = rows = 0;
    }
    // The hot loops address the cache with 32-bit offsets. A sheet too big for that (billions of
    // pixels, far beyond any bitmap that loads) keeps the chips that fit; the rest draw neutral.
    const std::int64_t maxChips = std::min<std::int64_t>(std::numeric_limits<std::uint32_t>::max() /
                                                             (std::int64_t(cellSize) * cellSize),
                                                         std::numeric_limits<int>::max()) -
                                  1;
    if (columns > 0 && std::int64_t(columns) * rows > maxChips) rows = int(maxChips / columns);
    const int chips = columns * rows;

    // One chip per cache row, cellSize * cellSize pixels each, the neutral chip in the last row.
    cache_ = Bitmap(cellSize * cellSize, chips + 1);
    cacheCellSize_ = cellSize;
    cacheColumns_ = columns;
    cacheRows_ = rows;
    cacheSheetColumns_ = sheetColumns;

    Bitmap reduced(cellSize, cellSize);
    const Rect to{0, 0, cellSize, cellSize};
    const std::size_t bytes = std::size_t(cellSize) * cellSize * sizeof(Pixel);
    for (int k = 0; k < chips; ++k) {
        const Rect from{(k % columns) * ChipPixels, (k / columns) * ChipPixels, ChipPixels,
                        ChipPixels};
        stretchBlt(reduced, to, *sheet_, from);
        std::memcpy(cache_.row(k), reduced.data(), bytes);
    }
    stretchBlt(reduced, to, neutralChip(), Rect{0, 0, ChipPixels, ChipPixels});
    std::memcpy(cache_.row(chips), reduced.data(), bytes);
}

void ChipRenderer::drawChip(Bitmap& dst, int x, int y, int cellSize, int sheetColumns,
                            std::int32_t chip) {
    if (cellSize <= 0) return;
    const Clip clip = clipSquare(dst, x, y, cellSize);
    if (clip.empty()) return;

    if (cellSize < ChipPixels) {
        ensureCache(cellSize, sheetColumns);
        const std::uint32_t chipLength = std::uint32_t(cellSize) * std::uint32_t(cellSize);
        copyClipped(
            dst, x, y, clip,
            viewOf(cache_, cacheColumns_, cacheRows_, cacheSheetColumns_).pixels(chip, chipLength),
            std::size_t(cellSize));
        return;
    }

    const bool onSheet = sheet_ != nullptr && chipOnSheet(chip, sheetColumns, *sheet_);
    const Bitmap& from = onSheet ? *sheet_ : neutralChip();
    const Rect square =
        onSheet ? chipSourceRect(chip, sheetColumns) : Rect{0, 0, ChipPixels, ChipPixels};
    const Pixel* src = from.row(square.y) + square.x;
    if (cellSize == ChipPixels) {
        copyClipped(dst, x, y, clip, src, std::size_t(from.width()));
    } else if (cellSize == 2 * ChipPixels) {
        doubleClipped(dst, x, y, clip, src, std::size_t(from.width()));
    } else {
        stretchBlt(dst, Rect{x, y, cellSize, cellSize}, from, square);
    }
}

void ChipRenderer::drawViewCell(Bitmap& view, const EditorState& state, int i, int j) {
    const int s = state.CellSize;
    if (s <= 0) return;
    drawChip(view, saturateToInt(std::int64_t(j) * s), saturateToInt(std::int64_t(i) * s), s,
             state.SheetColumns, viewChip(state, i, j));
}

void ChipRenderer::redrawView(Bitmap& view, const EditorState& state) {
    const int s = state.CellSize;
    if (s <= 0 || view.isNull()) return;
    // The whole cells the bitmap holds; a partial cell at its right or bottom edge comes last.
    const int columns = view.width() / s;
    const int rows = view.height() / s;
    if (s < ChipPixels) {
        redrawFromCache(view, state, s, rows, columns);
    } else if (s == ChipPixels || s == 2 * ChipPixels) {
        // Straight from the sheet: whole rows at 32, each pixel doubled at 64.
        const std::size_t stride = std::size_t(view.width());
        for (int i = 0; i < rows; ++i) {
            for (int j = 0; j < columns; ++j) {
                const std::int32_t chip = viewChip(state, i, j);
                const bool onSheet =
                    sheet_ != nullptr && chipOnSheet(chip, state.SheetColumns, *sheet_);
                const Pixel* src = neutralChip().data();
                std::size_t srcStride = ChipPixels;
                if (onSheet) {
                    const Rect square = chipSourceRect(chip, state.SheetColumns);
                    src = sheet_->row(square.y) + square.x;
                    srcStride = std::size_t(sheet_->width());
                }
                Pixel* out = view.row(i * s) + j * s;
                if (s == ChipPixels)
                    copySquare32(out, stride, src, srcStride);
                else
                    doubleSquare64(out, stride, src, srcStride);
            }
        }
    } else {
        // Any other size: cell by cell.
        for (int i = 0; i < rows; ++i) {
            for (int j = 0; j < columns; ++j)
                drawViewCell(view, state, i, j);
        }
    }
    // Partial cells, clipped: the right column, then the bottom row with its corner.
    if (view.width() % s != 0) {
        for (int i = 0; i < rows; ++i)
            drawViewCell(view, state, i, columns);
    }
    if (view.height() % s != 0) {
        for (int j = 0; j <= columns; ++j)
            drawViewCell(view, state, rows, j);
    }
}

void ChipRenderer::redrawFromCache(Bitmap& view, const EditorState& state, int cellSize, int rows,
                                   int columns) {
    ensureCache(cellSize, state.SheetColumns);
    if (offsets_.size() < std::size_t(columns)) offsets_.resize(std::size_t(columns));
    std::uint32_t* offset = offsets_.data();
    const CacheView cache = viewOf(cache_, cacheColumns_, cacheRows_, cacheSheetColumns_);
    const bool direct = cache.direct();
    const std::size_t stride = std::size_t(view.width());
    const bool gridComplete = state.MapCells.size() >= std::size_t(GridSide) * GridSide;

    // View columns [first, last) lie inside the grid; the rest are drawn neutral.
    const std::int64_t col0 = state.ViewCol;
    const int c = columns;
    const int first = int(std::clamp<std::int64_t>(-col0, 0, c));
    const int last = int(std::clamp<std::int64_t>(GridSide - col0, 0, c));

    for (int i = 0; i < rows; ++i) {
        const std::int64_t row = std::int64_t(state.ViewRow) + i;
        const bool rowInGrid = gridComplete && row >= 0 && row < GridSide && first < last;
        const int from = rowInGrid ? first : c;
        const std::int32_t* cells =
            rowInGrid ? state.MapCells.data() + (row * GridSide + col0 + first) : nullptr;
        Pixel* out = view.row(i * cellSize);
        switch (cellSize) {
        case 1:
            drawCachedRow<1>(widest_, direct, out, stride, c, 1, cache, cells, from, last, offset);
            break;
        case 2:
            drawCachedRow<2>(widest_, direct, out, stride, c, 2, cache, cells, from, last, offset);
            break;
        case 4:
            drawCachedRow<4>(widest_, direct, out, stride, c, 4, cache, cells, from, last, offset);
            break;
        case 8:
            drawCachedRow<8>(widest_, direct, out, stride, c, 8, cache, cells, from, last, offset);
            break;
        case 16:
            drawCachedRow<16>(widest_, direct, out, stride, c, 16, cache, cells, from, last,
                              offset);
            break;
        default:
            drawCachedRow<0>(widest_, direct, out, stride, c, cellSize, cache, cells, from, last,
                             offset);
            break;
        }
    }
}

} // namespace tilora
