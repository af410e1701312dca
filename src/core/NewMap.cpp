#include "NewMap.h"

namespace tilora {

void startNewMap(EditorState& s, int width, int height) {
    s.startNew(width, height, s.CurrentChip);
    s.clearStampBanks();
}

} // namespace tilora
