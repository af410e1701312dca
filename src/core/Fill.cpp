#include "Fill.h"

#include "UndoHistory.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tilora {

namespace {

struct Seed {
    int row;
    int col;
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

    // Each seed is a cell that may still hold `target`. Popping one fills the whole run of
    // target cells through it on its row, then seeds every run of target cells touching that
    // span on the rows above and below. Filled cells no longer hold `target`, so none is
    // visited twice.
    std::vector<Seed> seeds;
    seeds.push_back({at.row, at.col});
    int count = 0;
    while (!seeds.empty()) {
        const Seed s = seeds.back();
        seeds.pop_back();
        std::int32_t* const row = cells + std::size_t(s.row) * GridSide;
        if (row[s.col] != target) continue;
        int left = s.col;
        while (left > 0 && row[left - 1] == target)
            --left;
        int right = s.col;
        while (right + 1 < width && row[right + 1] == target)
            ++right;
        const std::size_t base = std::size_t(s.row) * GridSide;
        std::fill(row + left, row + right + 1, chip);
        if (history) history->record(base + left, target, chip, std::uint32_t(right - left + 1));
        count += right - left + 1;
        for (const int next : {s.row - 1, s.row + 1}) {
            if (next < 0 || next >= height) continue;
            const std::int32_t* const other = cells + std::size_t(next) * GridSide;
            for (int c = left; c <= right; ++c) {
                if (other[c] == target && (c == left || other[c - 1] != target)) {
                    seeds.push_back({next, c});
                }
            }
        }
    }
    if (history) history->closeStep();
    return count;
}

} // namespace tilora
