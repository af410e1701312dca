#include "core/ChipRenderer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

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

int saturate(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                        std::numeric_limits<int>::max()));
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
        if (cy > c.y0 && (cy & 1)) {  // the odd row repeats the even row just written
            std::memcpy(out + c.x0, dst.row(y + cy - 1) + x + c.x0,
                        std::size_t(c.x1 - c.x0) * sizeof(Pixel));
            continue;
        }
        for (int cx = c.x0; cx < c.x1; ++cx) out[cx] = in[cx / 2];
    }
}

// One row of view cells from the cache: chipAt(j) gives the cached pixels of view column j.
// S is the cell size when known at compile time, 0 otherwise (then `size` holds it).
template <int S, class ChipAt>
void drawCellRow(Bitmap& view, int top, int n, int size, const ChipAt& chipAt) {
    const int s = S ? S : size;
    if constexpr (S == 1) {
        Pixel* out = view.row(top);
        for (int j = 0; j < n; ++j) out[j] = *chipAt(j);
    } else {
        std::array<const Pixel*, ViewPixels> src;
        for (int j = 0; j < n; ++j) src[j] = chipAt(j);
        for (int r = 0; r < s; ++r) {
            Pixel* out = view.row(top + r);
            for (int j = 0; j < n; ++j) {
                std::memcpy(out + std::size_t(j) * s, src[j] + std::size_t(r) * s,
                            std::size_t(s) * sizeof(Pixel));
            }
        }
    }
}

// The chip at view cell (i, j); anything outside the grid reads as -1, which no sheet has.
std::int32_t viewChip(const EditorState& state, int i, int j) {
    const std::int64_t row = std::int64_t(state.ViewRow) + i;
    const std::int64_t col = std::int64_t(state.ViewCol) + j;
    if (row < 0 || row >= GridSide || col < 0 || col >= GridSide) return TransparentChip;
    const std::size_t at = std::size_t(row) * GridSide + std::size_t(col);
    return at < state.MapCells.size() ? state.MapCells[at] : TransparentChip;
}

}  // namespace

const Bitmap& neutralChip() {
    static const Bitmap chip = makeNeutralChip();
    return chip;
}

Rect chipSourceRect(std::int32_t chip, int sheetColumns) {
    // 64-bit so that huge chip numbers give a square far outside any sheet, not a wrapped one.
    const std::int64_t col = std::int64_t(chip) % sheetColumns;
    const std::int64_t row = std::int64_t(chip) / sheetColumns;
    return {saturate(col * ChipPixels), saturate(row * ChipPixels), ChipPixels, ChipPixels};
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
    if (!cache_.isNull() && cacheCellSize_ == cellSize && cacheSheetColumns_ == sheetColumns) return;

    // Only whole chips get a slot: a partial column or row at the sheet's edge has none.
    int columns = 0;
    int rows = 0;
    if (sheet_ != nullptr && sheetColumns > 0) {
        columns = std::min(sheetColumns, sheet_->width() / ChipPixels);
        rows = sheet_->height() / ChipPixels;
        if (columns <= 0 || rows <= 0) columns = rows = 0;
    }
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

const Pixel* ChipRenderer::cachedChip(std::int32_t chip) const {
    const int chips = cacheColumns_ * cacheRows_;
    if (cacheColumns_ == cacheSheetColumns_) {
        // The usual case: the sheet has exactly SheetColumns whole columns, so the chip number is
        // the slot and every number below the chip count is on the sheet.
        return cache_.row(chip >= 0 && chip < chips ? chip : chips);
    }
    if (chip < 0 || cacheSheetColumns_ <= 0) return cache_.row(chips);
    const int col = chip % cacheSheetColumns_;
    const int row = chip / cacheSheetColumns_;
    if (col >= cacheColumns_ || row >= cacheRows_) return cache_.row(chips);
    return cache_.row(row * cacheColumns_ + col);
}

void ChipRenderer::drawChip(Bitmap& dst, int x, int y, int cellSize, int sheetColumns,
                            std::int32_t chip) {
    if (cellSize <= 0) return;
    const Clip clip = clipSquare(dst, x, y, cellSize);
    if (clip.empty()) return;

    if (cellSize < ChipPixels) {
        ensureCache(cellSize, sheetColumns);
        copyClipped(dst, x, y, clip, cachedChip(chip), std::size_t(cellSize));
        return;
    }

    const bool onSheet = sheet_ != nullptr && chipOnSheet(chip, sheetColumns, *sheet_);
    const Bitmap& from = onSheet ? *sheet_ : neutralChip();
    const Rect square = onSheet ? chipSourceRect(chip, sheetColumns)
                                : Rect{0, 0, ChipPixels, ChipPixels};
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
    drawChip(view, saturate(std::int64_t(j) * s), saturate(std::int64_t(i) * s), s,
             state.SheetColumns, viewChip(state, i, j));
}

void ChipRenderer::redrawView(Bitmap& view, const EditorState& state) {
    const int s = state.CellSize;
    if (s <= 0 || s > ViewPixels) return;
    const int n = ViewPixels / s;
    if (s < ChipPixels && view.width() >= n * s && view.height() >= n * s) {
        redrawFromCache(view, state, s);
        return;
    }
    // 32 and 64 draw straight from the sheet; a view too small for the block clips per cell.
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) drawViewCell(view, state, i, j);
    }
}

void ChipRenderer::redrawFromCache(Bitmap& view, const EditorState& state, int cellSize) {
    ensureCache(cellSize, state.SheetColumns);
    const int n = ViewPixels / cellSize;
    const Pixel* neutral = cachedChip(TransparentChip);
    const bool gridComplete = state.MapCells.size() >= std::size_t(GridSide) * GridSide;

    // View columns [first, last) lie inside the grid; the rest are drawn neutral.
    const std::int64_t col0 = state.ViewCol;
    const int first = int(std::clamp<std::int64_t>(-col0, 0, n));
    const int last = int(std::clamp<std::int64_t>(GridSide - col0, 0, n));

    for (int i = 0; i < n; ++i) {
        const std::int64_t row = std::int64_t(state.ViewRow) + i;
        const bool rowInGrid = gridComplete && row >= 0 && row < GridSide;
        const int from = rowInGrid ? first : n;  // columns [from, last) are read from the grid
        const std::int32_t* cells = state.MapCells.data();
        const std::int64_t rowStart = row * GridSide + col0;
        const auto chipAt = [&](int j) {
            return j >= from && j < last ? cachedChip(cells[rowStart + j]) : neutral;
        };
        const int top = i * cellSize;
        switch (cellSize) {
            case 1: drawCellRow<1>(view, top, n, 1, chipAt); break;
            case 2: drawCellRow<2>(view, top, n, 2, chipAt); break;
            case 4: drawCellRow<4>(view, top, n, 4, chipAt); break;
            case 8: drawCellRow<8>(view, top, n, 8, chipAt); break;
            case 16: drawCellRow<16>(view, top, n, 16, chipAt); break;
            default: drawCellRow<0>(view, top, n, cellSize, chipAt); break;
        }
    }
}

}  // namespace tilora
