#include "Fill.h"

#include "UndoHistory.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tilora {

namespace {

// Cells compared a block at a time: the compiler turns a block into a few vector compares.
constexpr int Block = 16;

// The first column in [from, to) whose cell is not `value`; `to` when there is none.
int firstOther(const std::int32_t* row, int from, int to, std::int32_t value) {
    while (to - from >= Block) {
        unsigned differs = 0;
        for (int k = 0; k < Block; ++k)
            differs |= row[from + k] != value ? 1u : 0u;
        if (differs) break;
        from += Block;
    }
    while (from < to && row[from] == value)
        ++from;
    return from;
}

// The first column in [from, to) whose cell is `value`; `to` when there is none.
int firstSame(const std::int32_t* row, int from, int to, std::int32_t value) {
    while (to - from >= Block) {
        unsigned same = 0;
        for (int k = 0; k < Block; ++k)
            same |= row[from + k] == value ? 1u : 0u;
        if (same) break;
        from += Block;
    }
    while (from < to && row[from] != value)
        ++from;
    return from;
}

// The first column of the run of `value` cells that ends at `from` (going left, down to 0).
int runStart(const std::int32_t* row, int from, std::int32_t value) {
    while (from >= Block) {
        unsigned differs = 0;
        for (int k = 1; k <= Block; ++k)
            differs |= row[from - k] != value ? 1u : 0u;
        if (differs) break;
        from -= Block;
    }
    while (from > 0 && row[from - 1] == value)
        --from;
    return from;
}

// A run of target cells on one row, still to be filled: columns left..right, as far as known.
// A side not known may go on beyond it; the other side is where the run ends.
struct Seed {
    int row;
    int left;
    int right;
    bool leftKnown;
    bool rightKnown;
    // The span whose filling found this run, on the neighbouring row: that row holds no target
    // cell between its ends any more, so it is looked at only beside them.
    int parentRow;
    int parentLeft;
    int parentRight;
};

} // namespace

int fillRegion(EditorState& state, Anchor at, std::int32_t chip, UndoHistory* history) {
    const int gridRows = int(state.MapCells.size() / GridSide);
    const int width = std::clamp<std::int32_t>(state.MapWidth, 0, GridSide);
    const int height = std::clamp<std::int32_t>(state.MapHeight, 0, gridRows);
    if (at.row < 0 || at.row >= height || at.col < 0 || at.col >= width) return 0;

    std::int32_t* const cells = state.MapCells.data();
    const std::int32_t target = cells[std::size_t(at.row) * GridSide + at.col];
    if (target == chip) return 0;
    if (history) history->closeStep();

    // Each seed is a whole run of target cells on a row (a run is filled whole, so one still
    // holding target at its left end is untouched). Filling it seeds every run of target cells
    // that touches it on the rows above and below, found with both ends where the scan saw them.
    // Filled cells no longer hold `target`, so no cell is filled twice.
    std::vector<Seed> seeds;
    seeds.push_back({at.row, at.col, at.col, false, false, -1, 0, -1});
    int count = 0;
    // Seeds the runs of target cells on row `next` that start in [from, to].
    const auto seedRuns = [&](int next, int from, int to, int left, int right, int row) {
        const std::int32_t* const other = cells + std::size_t(next) * GridSide;
        for (int c = from; c <= to;) {
            c = firstSame(other, c, to + 1, target);
            if (c > to) break;
            const int end = firstOther(other, c, width, target) - 1;
            // A run that starts past `from` has a non-target cell before it.
            seeds.push_back({next, c, end, c > from || c == 0, true, row, left, right});
            c = end + 2;
        }
    };
    while (!seeds.empty()) {
        const Seed s = seeds.back();
        seeds.pop_back();
        std::int32_t* const row = cells + std::size_t(s.row) * GridSide;
        if (row[s.left] != target) continue;
        const int left = s.leftKnown ? s.left : runStart(row, s.left, target);
        const int right = s.rightKnown ? s.right : firstOther(row, s.right, width, target) - 1;
        const std::size_t base = std::size_t(s.row) * GridSide;
        std::fill(row + left, row + right + 1, chip);
        if (history) history->record(base + left, target, chip, std::uint32_t(right - left + 1));
        count += right - left + 1;
        for (const int next : {s.row - 1, s.row + 1}) {
            if (next < 0 || next >= height) continue;
            if (next != s.parentRow) {
                seedRuns(next, left, right, left, right, s.row);
                continue;
            }
            // Beside the parent span only.
            if (left < s.parentLeft) seedRuns(next, left, s.parentLeft - 1, left, right, s.row);
            if (right > s.parentRight) seedRuns(next, s.parentRight + 1, right, left, right, s.row);
        }
    }
    if (history) history->closeStep();
    return count;
}

} // namespace tilora
