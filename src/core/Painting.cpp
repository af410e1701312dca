#include "Painting.h"

#include "Geometry.h"
#include "StampBanks.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tilora {

namespace {

int saturatedSum(std::int32_t a, std::int32_t b) {
    const std::int64_t s = std::int64_t(a) + b;
    return int(std::clamp<std::int64_t>(s, std::numeric_limits<int>::min(),
                                        std::numeric_limits<int>::max()));
}

// The rectangle that painting may write: the map, and never more than the grid holds, whatever
// MapWidth and MapHeight say.
struct WriteLimits {
    std::int64_t cols;
    std::int64_t rows;
};

WriteLimits writeLimits(const EditorState& state) {
    const auto gridRows = std::int64_t(state.MapCells.size() / GridSide);
    return {
        std::clamp<std::int64_t>(state.MapWidth, 0, GridSide),
        std::clamp<std::int64_t>(state.MapHeight, 0, std::min<std::int64_t>(GridSide, gridRows))};
}

// Offsets 0..extent-1 from `origin` that land inside 0..limit-1, as a half-open range [first, end).
struct OffsetRange {
    std::int64_t first;
    std::int64_t end;
};

OffsetRange clipOffsets(int origin, std::int64_t extent, std::int64_t limit) {
    const std::int64_t first = std::max<std::int64_t>(0, -std::int64_t(origin));
    const std::int64_t end = std::min<std::int64_t>(extent, limit - origin);
    return {first, std::max(first, end)};
}

std::size_t gridIndex(std::int64_t row, std::int64_t col) {
    return std::size_t(row) * GridSide + std::size_t(col);
}

} // namespace

Anchor anchorCell(const EditorState& state) {
    return {saturatedSum(state.ViewRow, state.HoverRow),
            saturatedSum(state.ViewCol, state.HoverCol)};
}

int paintPen(EditorState& state, Anchor anchor,
             const std::function<void(int rowOffset, int colOffset)>& written) {
    const WriteLimits lim = writeLimits(state);
    const OffsetRange rows = clipOffsets(anchor.row, state.PenSize, lim.rows);
    const OffsetRange cols = clipOffsets(anchor.col, state.PenSize, lim.cols);
    int count = 0;
    for (std::int64_t i = rows.first; i < rows.end; ++i) {
        for (std::int64_t j = cols.first; j < cols.end; ++j) {
            state.MapCells[gridIndex(anchor.row + i, anchor.col + j)] = state.CurrentChip;
            ++count;
            if (written) written(int(i), int(j));
        }
    }
    return count;
}

int pasteStamp(EditorState& state, int bank, Anchor anchor) {
    if (bank < 0 || bank >= StampBankCount) return 0;
    const WriteLimits lim = writeLimits(state);
    const OffsetRange rows = clipOffsets(anchor.row, StampSide, lim.rows);
    const OffsetRange cols = clipOffsets(anchor.col, StampSide, lim.cols);
    int count = 0;
    for (std::int64_t i = rows.first; i < rows.end; ++i) {
        for (std::int64_t j = cols.first; j < cols.end; ++j) {
            const std::int32_t v = stampCell(state.StampBanks, bank, int(i), int(j));
            if (v == TransparentChip) continue;
            state.MapCells[gridIndex(anchor.row + i, anchor.col + j)] = v;
            ++count;
        }
    }
    return count;
}

std::int32_t pickChip(const EditorState& state, Anchor anchor) {
    const auto gridRows = std::int64_t(state.MapCells.size() / GridSide);
    if (anchor.row < 0 || anchor.row >= gridRows || anchor.col < 0 || anchor.col >= GridSide) {
        return state.CurrentChip; // nothing there to pick: the current chip stays
    }
    return state.MapCells[gridIndex(anchor.row, anchor.col)];
}

namespace {

// The loop "while origin + span > mapSide and origin != 0: origin--" in closed form, with the
// map side capped at the grid so that the view never reaches past the grid either.
std::int32_t pullBack(std::int32_t origin, int span, std::int32_t mapSide) {
    const int side = std::clamp<std::int32_t>(mapSide, 0, GridSide);
    return std::clamp<std::int32_t>(origin, 0, std::max(0, side - span));
}

} // namespace

void applyZoomPick(EditorState& state) {
    state.ZoomStep = std::clamp<std::int32_t>(state.ZoomStep, 1, 7);
    state.CellSize = cellSizeForZoomStep(state.ZoomStep);
    const int span = ViewPixels / state.CellSize;
    state.ViewRow = pullBack(saturatedSum(state.ViewRow, state.HoverRow), span, state.MapHeight);
    state.ViewCol = pullBack(saturatedSum(state.ViewCol, state.HoverCol), span, state.MapWidth);
}

void keepViewInsideMap(EditorState& state) {
    const int span = ViewPixels / std::max<std::int32_t>(state.CellSize, 1);
    state.ViewRow = pullBack(state.ViewRow, span, state.MapHeight);
    state.ViewCol = pullBack(state.ViewCol, span, state.MapWidth);
}

bool zoomIn(EditorState& state) {
    if (state.ZoomStep >= 7) return false;
    ++state.ZoomStep;
    state.ZoomPending = 1;
    return true;
}

bool zoomOut(EditorState& state) {
    if (state.ZoomStep <= 1) return false;
    --state.ZoomStep;
    state.ZoomPending = 1;
    return true;
}

int cursorFrameSize(int cellSize) {
    return std::max(cellSize, 5);
}

} // namespace tilora
