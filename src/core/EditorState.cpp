#include "EditorState.h"

namespace tilora {

CellArea EditorState::undo() {
    const CellArea changed = History.undo(*this);
    MapModified = History.differsFromSaved() ? 1 : 0;
    return changed;
}

CellArea EditorState::redo() {
    const CellArea changed = History.redo(*this);
    MapModified = History.differsFromSaved() ? 1 : 0;
    return changed;
}

} // namespace tilora
