#pragma once
// Setting up a new map in the state.

#include "EditorState.h"

namespace tilora {

// A width x height map of CurrentChip (MapDocument::startNew: only the map's rectangle is filled,
// the rest of the grid keeps what it held; no file, no history, modified); the stamp banks are
// cleared and the selection dropped.
void startNewMap(EditorState& state, int width, int height);

} // namespace tilora
