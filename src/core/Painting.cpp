#include "Painting.h"

#include "Geometry.h"
#include "StampBanks.h"

#include <algorithm>
#include <cstdint>

namespace tilora {

namespace {

int saturatedSum(std::int32_t a, std::int32_t b) {
    return saturateToInt(std::int64_t(a) + b);
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

} // namespace tilora
