#include "NewMap.h"

#include <algorithm>

namespace tilora {

void startNewMap(EditorState& s, int width, int height) {
    s.MapWidth = width;
    s.MapHeight = height;
    // Only the new map's rectangle is filled; the rest of the grid keeps what it held. The chip
    // is read once: a store into the grid could otherwise be taken to change it, and each cell
    // would read it again.
    const std::int32_t chip = s.CurrentChip;
    const int rows = std::clamp(height, 0, int(s.MapCells.size() / GridSide));
    const int columns = std::clamp(width, 0, GridSide);
    std::int32_t* const cells = s.MapCells.data();
    for (int r = 0; r < rows; ++r)
        std::fill_n(cells + std::size_t(r) * GridSide, columns, chip);
    s.clearStampBanks();
}

} // namespace tilora
