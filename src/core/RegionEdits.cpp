#include "RegionEdits.h"

#include "Selection.h"
#include "Shapes.h"
#include "StampBanks.h"
#include "UndoHistory.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tilora {

namespace {

std::size_t gridIndex(int row, int col) {
    return std::size_t(row) * GridSide + std::size_t(col);
}

// The part of a span on the map, or an empty span.
RowSpan clipSpan(const CellRect& map, RowSpan span) {
    if (span.row < 0 || span.row >= map.rows) return {};
    const int left = std::max(span.col, 0);
    const int right = std::min(span.col + span.cols, map.cols);
    return right > left ? RowSpan{span.row, left, right - left} : RowSpan{};
}

// One step that writes `chip` into the spans' cells on the map (a step left open is closed
// first, the new one is closed at the end).
int writeStep(EditorState& state, UndoHistory& history, const std::vector<RowSpan>& spans,
              std::int32_t chip, bool keepSelection) {
    const CellRect map = mapRect(state);
    // Room for every span whole: the spans on the map need no more.
    std::size_t cells = 0;
    for (const RowSpan& s : spans)
        cells += std::size_t(std::clamp(s.cols, 0, map.cols));
    history.beginSpans(cells, spans.size());
    for (const RowSpan& s : spans) {
        const RowSpan on = clipSpan(map, s);
        if (on.cols > 0)
            history.fillSpan(state, gridIndex(on.row, on.col), std::uint32_t(on.cols), chip);
    }
    const int changed = history.endSpans();
    if (keepSelection) history.recordSelection(state.Selection, state.Selection);
    history.closeStep();
    if (changed > 0) state.MapModified = 1;
    return changed;
}

// Row `row` of `block`'s part on the map when its top-left cell is on `at`, written into the map
// row whose cells from column `col` are `cells` (`cols` of them); transparent cells leave the
// map's cell when `seeThrough`.
void writeBlockRow(const ChipBlock& block, Anchor at, int row, int col, int cols,
                   std::int32_t* cells, bool seeThrough) {
    const int r = row - at.row;
    if (r < 0 || r >= block.height) return;
    const int first = std::max(col, at.col);
    const int end = std::min(col + cols, at.col + block.width);
    if (end <= first) return;
    const std::int32_t* from = block.cells.data() + std::size_t(r) * block.width + (first - at.col);
    std::int32_t* to = cells + (first - col);
    const int n = end - first;
    if (!seeThrough) {
        std::copy_n(from, n, to);
        return;
    }
    for (int c = 0; c < n; ++c)
        to[c] = from[c] == TransparentChip ? to[c] : from[c];
}

CellRect boundingRect(const CellRect& a, const CellRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int top = std::min(a.row, b.row);
    const int left = std::min(a.col, b.col);
    return {top, left, std::max(a.row + a.rows, b.row + b.rows) - top,
            std::max(a.col + a.cols, b.col + b.cols) - left};
}

} // namespace

ChipBlock copyBlock(const EditorState& state, CellRect rect) {
    const CellRect on = clipToMap(state, rect);
    ChipBlock block;
    if (on.empty()) return block;
    block.width = on.cols;
    block.height = on.rows;
    block.cells.resize(std::size_t(on.rows) * on.cols);
    for (int r = 0; r < on.rows; ++r)
        std::copy_n(state.MapCells.begin() + std::ptrdiff_t(gridIndex(on.row + r, on.col)), on.cols,
                    block.cells.begin() + std::ptrdiff_t(r) * on.cols);
    return block;
}

int deleteSelection(EditorState& state, UndoHistory& history) {
    const CellRect sel = clipToMap(state, state.Selection);
    return writeStep(state, history, rectSpans(sel), state.CurrentChip, true);
}

ChipBlock cutSelection(EditorState& state, UndoHistory& history) {
    ChipBlock block = copyBlock(state, state.Selection);
    deleteSelection(state, history);
    return block;
}

int pasteBlock(EditorState& state, UndoHistory& history, const ChipBlock& block, Anchor at) {
    const CellRect target = clipToMap(state, {at.row, at.col, block.height, block.width});
    const CellRect before = state.Selection;
    state.Selection = target;
    history.beginSpans(std::size_t(std::max(target.rows, 0)) * std::max(target.cols, 0),
                       std::size_t(std::max(target.rows, 0)));
    for (int r = 0; r < target.rows; ++r) {
        const int row = target.row + r;
        history.writeSpan(state.MapCells.data(), gridIndex(row, target.col),
                          std::uint32_t(target.cols), [&](std::int32_t* cells) {
                              writeBlockRow(block, at, row, target.col, target.cols, cells, true);
                          });
    }
    const int changed = history.endSpans();
    history.recordSelection(before, target);
    history.closeStep();
    if (changed > 0) state.MapModified = 1;
    return changed;
}

int moveSelection(EditorState& state, UndoHistory& history, int rows, int cols) {
    const CellRect from = clipToMap(state, state.Selection);
    if (from.empty()) return 0;
    const Anchor at = {from.row + rows, from.col + cols};
    const CellRect to = clipToMap(state, {at.row, at.col, from.rows, from.cols});
    const CellRect before = state.Selection;
    const ChipBlock block = copyBlock(state, from);
    const std::int32_t chip = state.CurrentChip;
    // Row by row over both rectangles: the cells left take the current chip, then the moved
    // cells land (the block was copied first, so the two may overlap).
    const CellRect both = boundingRect(from, to);
    history.beginSpans(std::size_t(both.rows) * both.cols, std::size_t(both.rows));
    for (int r = 0; r < both.rows; ++r) {
        const int row = both.row + r;
        history.writeSpan(state.MapCells.data(), gridIndex(row, both.col), std::uint32_t(both.cols),
                          [&](std::int32_t* cells) {
                              if (from.contains(row, from.col))
                                  std::fill_n(cells + (from.col - both.col), from.cols, chip);
                              writeBlockRow(block, at, row, both.col, both.cols, cells, false);
                          });
    }
    const int changed = history.endSpans();
    state.Selection = to;
    history.recordSelection(before, to);
    history.closeStep();
    if (changed > 0) state.MapModified = 1;
    return changed;
}

bool captureToStamp(EditorState& state, UndoHistory& history, int bank) {
    const CellRect sel = clipToMap(state, state.Selection);
    if (sel.empty() || bank < 0 || bank >= StampBankCount) return false;
    std::array<std::int32_t, StampCells> before{};
    for (int r = 0; r < StampSide; ++r)
        for (int c = 0; c < StampSide; ++c) {
            std::int32_t& cell = stampCell(state.StampBanks, bank, r, c);
            before[std::size_t(r) * StampSide + std::size_t(c)] = cell;
            cell = r < sel.rows && c < sel.cols ? state.cell(sel.row + r, sel.col + c)
                                                : TransparentChip;
        }
    history.closeStep();
    history.recordStamp(state, bank, before);
    const bool changed = history.stepOpen();
    history.closeStep();
    return changed;
}

int fillRectangle(EditorState& state, UndoHistory& history, Anchor a, Anchor b) {
    return writeStep(state, history, rectSpans(rectBetween(state, a, b)), state.CurrentChip, false);
}

int drawLine(EditorState& state, UndoHistory& history, Anchor a, Anchor b) {
    return writeStep(state, history, penLineSpans(a, b, state.PenSize), state.CurrentChip, false);
}

StrokeResult paintStroke(EditorState& state, UndoHistory* history, Anchor from, Anchor to,
                         const std::function<void(int row, int col)>& written) {
    const bool same = from.row == to.row && from.col == to.col;
    const CellRect map = mapRect(state);
    StrokeResult result;
    for (const RowSpan& span : penLineSpans(same ? to : from, to, state.PenSize, !same)) {
        const RowSpan s = clipSpan(map, span);
        if (s.cols <= 0) continue;
        const std::size_t index = gridIndex(s.row, s.col);
        if (history) {
            result.changed +=
                history->writeCells(state, index, std::uint32_t(s.cols), state.CurrentChip);
        } else {
            std::fill_n(state.MapCells.begin() + std::ptrdiff_t(index), s.cols, state.CurrentChip);
        }
        result.written += s.cols;
        if (written)
            for (int c = 0; c < s.cols; ++c)
                written(s.row, s.col + c);
    }
    return result;
}

} // namespace tilora
