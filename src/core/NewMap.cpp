#include "NewMap.h"

namespace tilora {

void startNewMap(EditorState& s, int width, int height) {
    s.MapWidth = width;
    s.MapHeight = height;
    // Only the new map's rectangle is filled; the rest of the grid keeps what it held.
    for (int r = 0; r < s.MapHeight; ++r) {
        for (int c = 0; c < s.MapWidth; ++c)
            s.cell(r, c) = s.CurrentChip;
    }
    s.clearStampBanks();
    s.Selection = {}; // it was the old map's
}

} // namespace tilora
