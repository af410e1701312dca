#include "NewMap.h"

namespace tilora {

void startNewMap(EditorState& s, int width, int height) {
    s.startNew(width, height, s.CurrentChip);
    s.clearStampBanks();
    s.Selection = {}; // it was the old map's
}

} // namespace tilora
