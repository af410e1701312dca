#include "Selection.h"

#include <algorithm>
#include <cstdint>

namespace tilora {

CellRect mapRect(const EditorState& state) {
    const auto gridRows = int(state.MapCells.size() / GridSide);
    return {0, 0, std::clamp<int>(state.MapHeight, 0, std::min(gridRows, GridSide)),
            std::clamp<int>(state.MapWidth, 0, GridSide)};
}

CellRect clipToMap(const EditorState& state, CellRect rect) {
    const CellRect map = mapRect(state);
    // In 64 bits: a rectangle far outside the map must not wrap around.
    const std::int64_t top = std::max<std::int64_t>(rect.row, 0);
    const std::int64_t left = std::max<std::int64_t>(rect.col, 0);
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t(rect.row) + std::max(rect.rows, 0), map.rows);
    const std::int64_t right =
        std::min<std::int64_t>(std::int64_t(rect.col) + std::max(rect.cols, 0), map.cols);
    if (bottom <= top || right <= left) return {};
    return {int(top), int(left), int(bottom - top), int(right - left)};
}

CellRect rectBetween(const EditorState& state, Anchor a, Anchor b) {
    const std::int64_t top = std::min(a.row, b.row);
    const std::int64_t left = std::min(a.col, b.col);
    const std::int64_t bottom = std::max<std::int64_t>(a.row, b.row) + 1;
    const std::int64_t right = std::max<std::int64_t>(a.col, b.col) + 1;
    // Cut to the grid's range first so the sizes fit an int, then to the map.
    const auto fit = [](std::int64_t v) { return std::clamp<std::int64_t>(v, -1, GridSide + 1); };
    return clipToMap(state, {int(fit(top)), int(fit(left)), int(fit(bottom) - fit(top)),
                             int(fit(right) - fit(left))});
}

} // namespace tilora
