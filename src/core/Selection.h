#pragma once
// The selection tool's rectangles: two corner cells in any order become one rectangle, and every
// rectangle an edit uses is cut down to the map first, so nothing outside it is read or written.

#include "CellRect.h"
#include "EditorState.h"
#include "Painting.h"

namespace tilora {

// The whole map: MapWidth x MapHeight from (0, 0), never more than the grid holds.
CellRect mapRect(const EditorState& state);

// The part of `rect` that lies on the map (empty when none does).
CellRect clipToMap(const EditorState& state, CellRect rect);

// The rectangle with corner cells `a` and `b` (either may be the top-left one), both included,
// cut down to the map.
CellRect rectBetween(const EditorState& state, Anchor a, Anchor b);

} // namespace tilora
