#pragma once
// The fill: the region of cells that holds the clicked cell's chip, reached from it through
// neighbours left, right, above and below, inside the map, gets a new chip.

#include "EditorState.h"
#include "Painting.h"

#include <cstdint>

namespace tilora {

class UndoHistory;

// Writes `chip` into every cell of the region around `at` and returns how many cells changed.
// Nothing changes when `at` lies outside MapWidth x MapHeight (or the grid) or already holds
// `chip`. With a history, the changed cells form one step of their own: a step left open by
// earlier painting is closed first, and the fill's step is closed at the end.
// Works with its own stack of row spans, so a region of a million cells needs no deep calls.
int fillRegion(EditorState& state, Anchor at, std::int32_t chip, UndoHistory* history = nullptr);

} // namespace tilora
