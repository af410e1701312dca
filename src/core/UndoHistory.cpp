#include "UndoHistory.h"

#include "MapDocument.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tilora {

namespace {

constexpr std::size_t StepBytes = sizeof(std::vector<CellChange>) + sizeof(CellArea);

std::size_t changeBytes(std::size_t count) {
    return count * sizeof(CellChange);
}

CellArea areaOf(const std::vector<CellChange>& changes) {
    CellArea a{GridSide, GridSide, -1, -1};
    for (const CellChange& c : changes) {
        const std::uint32_t last = c.index + c.count - 1;
        const int firstRow = int(c.index / GridSide);
        const int lastRow = int(last / GridSide);
        a.top = std::min(a.top, firstRow);
        a.bottom = std::max(a.bottom, lastRow);
        if (firstRow == lastRow) {
            a.left = std::min(a.left, int(c.index % GridSide));
            a.right = std::max(a.right, int(last % GridSide));
        } else { // runs on past a row's end into the next row: every column is touched
            a.left = 0;
            a.right = GridSide - 1;
        }
    }
    return a;
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

void UndoHistory::openStep() {
    // A new edit after undoing: the undone steps can no longer be redone.
    while (steps_.size() > applied_) {
        bytes_ -= StepBytes + changeBytes(steps_.back().changes.capacity());
        steps_.pop_back();
    }
    if (savedKnown_ && savedPosition_ > position()) savedKnown_ = false;
    steps_.emplace_back();
    bytes_ += StepBytes;
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
        bytes_ -= StepBytes + changeBytes(steps_.front().changes.capacity());
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
    dropOldest(false);
}

CellArea UndoHistory::undo(MapDocument& state) {
    closeStep();
    if (applied_ == 0) return {};
    const Step& step = steps_[applied_ - 1];
    // Backwards, so that a cell written twice in one step ends with its first `before`.
    for (std::size_t k = step.changes.size(); k-- > 0;)
        writeRun(state, step.changes[k], step.changes[k].before);
    --applied_;
    touch(step.area);
    return step.area;
}

CellArea UndoHistory::redo(MapDocument& state) {
    if (open_ || applied_ == steps_.size()) return {};
    const Step& step = steps_[applied_];
    for (const CellChange& c : step.changes)
        writeRun(state, c, c.after);
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
    return !savedKnown_ || savedPosition_ != position();
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
