#include "UndoHistory.h"

#include "EditorState.h"
#include "MapDocument.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tilora {

namespace {

std::size_t changeBytes(std::size_t count) {
    return count * sizeof(CellChange);
}

// Elements index .. index + count - 1 join the area.
void include(CellArea& a, std::uint32_t index, std::uint32_t count) {
    const std::uint32_t last = index + count - 1;
    const int firstRow = int(index / GridSide);
    const int lastRow = int(last / GridSide);
    a.top = std::min(a.top, firstRow);
    a.bottom = std::max(a.bottom, lastRow);
    if (firstRow == lastRow) {
        a.left = std::min(a.left, int(index % GridSide));
        a.right = std::max(a.right, int(last % GridSide));
    } else { // runs on past a row's end into the next row: every column is touched
        a.left = 0;
        a.right = GridSide - 1;
    }
}

CellArea areaOf(const std::vector<CellChange>& changes) {
    CellArea a{GridSide, GridSide, -1, -1};
    for (const CellChange& c : changes)
        include(a, c.index, c.count);
    return a;
}

// The first of cells[from, count) that does not hold `chip`, or count. Eight cells at a time
// while they all hold it (a long run of one chip), then one by one.
std::uint32_t runEnd(const std::int32_t* cells, std::uint32_t from, std::uint32_t count,
                     std::int32_t chip) {
    std::uint32_t k = from;
#if defined(__SSE2__)
    const __m128i same = _mm_set1_epi32(chip);
    while (k + 8 <= count) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + k + 4));
        const __m128i equal = _mm_and_si128(_mm_cmpeq_epi32(a, same), _mm_cmpeq_epi32(b, same));
        if (_mm_movemask_epi8(equal) != 0xFFFF) break;
        k += 8;
    }
#endif
    while (k < count && cells[k] == chip)
        ++k;
    return k;
}

// The spans' cells of the map into `cells`, span after span, and back.
template <class Span>
void readSpans(const EditorState& state, const std::vector<Span>& spans, std::int32_t* cells) {
    for (const Span& sp : spans)
        cells = std::copy_n(state.MapCells.begin() + sp.index, sp.count, cells);
}

template <class Span>
void writeSpans(EditorState& state, const std::vector<Span>& spans, const std::int32_t* cells) {
    for (const Span& sp : spans) {
        std::copy_n(cells, sp.count, state.MapCells.begin() + sp.index);
        cells += sp.count;
    }
}

void writeStamp(EditorState& state, int bank, const std::array<std::int32_t, StampCells>& cells) {
    std::copy(cells.begin(), cells.end(),
              state.StampBanks.begin() + std::ptrdiff_t(bank) * StampCells);
}

// Cells beyond the grid, which no recorded edit can have reached, are left alone.
void writeRun(MapDocument& state, const CellChange& c, std::int32_t chip) {
    const std::size_t end =
        std::min<std::size_t>(std::size_t(c.index) + c.count, state.MapCells.size());
    if (c.index < end)
        std::fill(state.MapCells.begin() + c.index, state.MapCells.begin() + end, chip);
}

} // namespace

UndoHistory::UndoHistory(std::size_t byteLimit) : limit_(byteLimit) {}

std::size_t UndoHistory::bytesOf(const Step& step) {
    std::size_t bytes = sizeof(Step) + changeBytes(step.changes.capacity());
    if (step.block)
        bytes += sizeof(Block) + step.block->spans.capacity() * sizeof(Span) +
                 (step.block->capacity + (step.block->after ? step.block->cells : 0)) *
                     sizeof(std::int32_t);
    if (step.stamp) bytes += sizeof(StampChange);
    return bytes;
}

void UndoHistory::openStep() {
    // A new edit after undoing: the undone steps can no longer be redone.
    while (steps_.size() > applied_) {
        bytes_ -= bytesOf(steps_.back());
        steps_.pop_back();
    }
    if (savedKnown_ && savedPosition_ > position()) savedKnown_ = false;
    steps_.emplace_back();
    bytes_ += sizeof(Step);
    ++applied_;
    open_ = true;
}

void UndoHistory::grew(std::size_t oldCapacity, std::size_t newCapacity) {
    bytes_ += changeBytes(newCapacity - oldCapacity);
    if (bytes_ > limit_) dropOldest(true);
}

void UndoHistory::dropOldest(bool keepOpenStep) {
    // Trimming happens only while recording or when a step closes, when nothing can be redone:
    // the front step is always an applied one.
    while (bytes_ > limit_ && applied_ > 0) {
        if (keepOpenStep && open_ && steps_.size() == 1) break;
        bytes_ -= bytesOf(steps_.front());
        steps_.pop_front();
        --applied_;
        ++dropped_;
        if (savedKnown_ && savedPosition_ < dropped_) savedKnown_ = false;
    }
}

void UndoHistory::closeStep() {
    if (!open_) return;
    open_ = false;
    Step& step = steps_.back();
    std::vector<CellChange>& changes = step.changes;
    // Growth by doubling can leave up to half the buffer unused; give it back before the step
    // starts counting against the older ones.
    if (changes.capacity() - changes.size() > changes.size() / 8 + 16) {
        const std::size_t before = changes.capacity();
        changes.shrink_to_fit();
        bytes_ -= changeBytes(before - changes.capacity());
    }
    step.area = areaOf(changes);
    if (step.block) {
        const CellArea& b = step.block->area;
        step.area = {std::min(step.area.top, b.top), std::min(step.area.left, b.left),
                     std::max(step.area.bottom, b.bottom), std::max(step.area.right, b.right)};
    }
    dropOldest(false);
}

CellArea UndoHistory::undo(EditorState& state) {
    closeStep();
    if (applied_ == 0) return {};
    Step& step = steps_[applied_ - 1];
    // Backwards, so that a cell written twice in one step ends with its first `before`.
    for (std::size_t k = step.changes.size(); k-- > 0;)
        writeRun(state, step.changes[k], step.changes[k].before);
    if (step.block) {
        Block& block = *step.block;
        if (!block.after) { // the map holds the edit's cells: keep them for the redo
            block.after = std::make_unique_for_overwrite<std::int32_t[]>(block.cells);
            readSpans(state, block.spans, block.after.get());
            bytes_ += block.cells * sizeof(std::int32_t);
        }
        writeSpans(state, block.spans, block.before.get());
    }
    if (step.stamp) writeStamp(state, step.stamp->bank, step.stamp->before);
    if (step.keepsSelection) state.Selection = step.selectionBefore;
    --applied_;
    touch(step.area);
    return step.area;
}

CellArea UndoHistory::redo(EditorState& state) {
    if (open_ || applied_ == steps_.size()) return {};
    const Step& step = steps_[applied_];
    if (step.block) writeSpans(state, step.block->spans, step.block->after.get());
    for (const CellChange& c : step.changes)
        writeRun(state, c, c.after);
    if (step.stamp) writeStamp(state, step.stamp->bank, step.stamp->after);
    if (step.keepsSelection) state.Selection = step.selectionAfter;
    ++applied_;
    touch(step.area);
    return step.area;
}

void UndoHistory::markSaved() {
    closeStep();
    savedKnown_ = true;
    savedPosition_ = position();
}

bool UndoHistory::differsFromSaved() const {
    return !savedKnown_ || mapChangedBetween(savedPosition_, position());
}

bool UndoHistory::mapChangedBetween(std::uint64_t a, std::uint64_t b) const {
    // Both positions lie in the history kept: a saved point dropped with the oldest steps or with
    // the redo is no longer known.
    for (std::uint64_t p = std::min(a, b); p < std::max(a, b); ++p) {
        const std::uint64_t k = p - dropped_;
        if (k >= steps_.size() || steps_[std::size_t(k)].changesMap()) return true;
    }
    return false;
}

void UndoHistory::clear() {
    steps_.clear();
    bytes_ = 0;
    applied_ = 0;
    open_ = false;
    dropped_ = 0;
    savedKnown_ = false;
    savedPosition_ = 0;
    touched_ = {0, 0, GridSide - 1, GridSide - 1};
}

void UndoHistory::touch(const CellArea& area) {
    if (area.empty()) return;
    touched_.top = std::min(touched_.top, area.top);
    touched_.left = std::min(touched_.left, area.left);
    touched_.bottom = std::max(touched_.bottom, area.bottom);
    touched_.right = std::max(touched_.right, area.right);
}

CellArea UndoHistory::takeTouched() {
    return std::exchange(touched_, CellArea{GridSide, GridSide, -1, -1});
}

void UndoHistory::snapshot(const MapDocument& state, CellRect area) {
    // Clipped to the grid in 64 bits: an anchor far outside the map must not wrap around.
    const std::int64_t gridRows = std::int64_t(state.MapCells.size() / GridSide);
    const std::int64_t top = std::clamp<std::int64_t>(area.row, 0, gridRows);
    const std::int64_t left = std::clamp<std::int64_t>(area.col, 0, GridSide);
    const std::int64_t bottom =
        std::clamp<std::int64_t>(std::int64_t(area.row) + std::max(area.rows, 0), top, gridRows);
    const std::int64_t right =
        std::clamp<std::int64_t>(std::int64_t(area.col) + std::max(area.cols, 0), left, GridSide);
    watched_ = {int(top), int(left), int(bottom - top), int(right - left)};
    watchedBefore_.clear();
    for (std::int64_t r = top; r < bottom; ++r) {
        const auto* row = state.MapCells.data() + std::size_t(r) * GridSide;
        watchedBefore_.insert(watchedBefore_.end(), row + left, row + right);
    }
}

int UndoHistory::collect(const MapDocument& state) {
    int changed = 0;
    std::size_t k = 0;
    for (int r = 0; r < watched_.rows; ++r) {
        const std::size_t base = std::size_t(watched_.row + r) * GridSide + watched_.col;
        for (int c = 0; c < watched_.cols; ++c, ++k) {
            const std::int32_t now = state.MapCells[base + c];
            if (now == watchedBefore_[k]) continue;
            record(base + c, watchedBefore_[k], now);
            ++changed;
        }
    }
    return changed;
}

} // namespace tilora

namespace tilora {

void UndoHistory::fillSpan(MapDocument& state, std::size_t index, std::uint32_t count,
                           std::int32_t chip) {
    std::int32_t* const at = state.MapCells.data() + index;
    // A span of long runs of one chip (most of a drawn map) is kept as runs, as the pen's
    // cells are: a few records instead of a copy.
    std::uint32_t breaks = 0;
    for (std::uint32_t k = 1; k < count; ++k)
        breaks += at[k] != at[k - 1] ? 1u : 0u;
    if (breaks < count / 4) {
        runsChanged_ += std::uint32_t(writeCells(state, index, count, chip));
        return;
    }
    std::int32_t* const was = spanRoom(count);
    std::uint32_t changed = 0;
    for (std::uint32_t k = 0; k < count; ++k) { // one pass: keep, write, compare
        const std::int32_t old = at[k];
        was[k] = old;
        at[k] = chip;
        changed += old != chip ? 1u : 0u;
    }
    keepSpan(index, count, changed);
}

int UndoHistory::writeCells(MapDocument& state, std::size_t index, std::uint32_t count,
                            std::int32_t chip) {
    std::int32_t* const cells = state.MapCells.data() + index;
    int changed = 0;
    std::uint32_t k = 0;
    while (k < count) {
        // A run of cells that held the same chip is one record.
        const std::int32_t before = cells[k];
        std::uint32_t end = k + 1;
        end = runEnd(cells, end, count, before);
        if (before != chip) {
            std::fill(cells + k, cells + end, chip);
            record(index + k, before, chip, end - k);
            changed += int(end - k);
        }
        k = end;
    }
    return changed;
}

void UndoHistory::beginSpans(std::size_t cells, std::size_t spans) {
    closeStep();
    runsChanged_ = 0;
    pending_ = std::make_unique<Block>();
    pending_->before = std::make_unique_for_overwrite<std::int32_t[]>(cells);
    pending_->capacity = cells;
    pending_->spans.reserve(spans);
}

void UndoHistory::growPending(std::uint32_t count) {
    // More than the caller expected.
    Block& b = *pending_;
    const std::size_t capacity = std::max(b.capacity * 2, b.cells + count);
    auto grown = std::make_unique_for_overwrite<std::int32_t[]>(capacity);
    std::copy_n(b.before.get(), b.cells, grown.get());
    b.before = std::move(grown);
    b.capacity = capacity;
}

int UndoHistory::endSpans() {
    std::unique_ptr<Block> block = std::move(pending_);
    auto changed = int(std::exchange(runsChanged_, 0));
    if (!block || block->changed == 0) return changed;
    // Room reserved for spans that changed nothing, or were kept as runs, is given back.
    if (block->capacity - block->cells > block->cells / 8 + 1024) {
        auto fitted = std::make_unique_for_overwrite<std::int32_t[]>(block->cells);
        std::copy_n(block->before.get(), block->cells, fitted.get());
        block->before = std::move(fitted);
        block->capacity = block->cells;
    }
    touch(block->area);
    changed += int(block->changed);
    if (!open_) openStep(); // (runs of this edit may have opened it)
    Step& step = steps_.back();
    step.block = std::move(block);
    bytes_ += bytesOf(step) - sizeof(Step) - changeBytes(step.changes.capacity());
    dropOldest(true);
    return changed;
}

void UndoHistory::recordSelection(CellRect before, CellRect after) {
    if (!open_) return;
    Step& step = steps_.back();
    step.keepsSelection = true;
    step.selectionBefore = before;
    step.selectionAfter = after;
}

void UndoHistory::recordStamp(const EditorState& state, int bank,
                              const std::array<std::int32_t, StampCells>& before) {
    if (bank < 0 || bank >= StampBankCount) return;
    const auto now = state.StampBanks.begin() + std::ptrdiff_t(bank) * StampCells;
    if (std::equal(before.begin(), before.end(), now)) return;
    if (open_ && steps_.back().stamp && steps_.back().stamp->bank != bank) closeStep();
    if (!open_) openStep();
    Step& step = steps_.back();
    if (!step.stamp) {
        step.stamp = std::make_unique<StampChange>();
        step.stamp->bank = bank;
        step.stamp->before = before;
        bytes_ += sizeof(StampChange);
    }
    std::copy_n(now, StampCells, step.stamp->after.begin());
    dropOldest(true);
}

} // namespace tilora
