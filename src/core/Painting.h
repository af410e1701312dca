#pragma once
// What a click or a drag on the map view does to the state. The windows call these and then
// draw what changed.

#include "EditorState.h"

#include <cstdint>
#include <functional>

namespace tilora {

// The map cell under the cursor: (ViewRow + HoverRow, ViewCol + HoverCol).
struct Anchor {
    int row = 0;
    int col = 0;
};
Anchor anchorCell(const EditorState& state);

// Pen: writes CurrentChip (-1 included) into the PenSize x PenSize block whose top-left cell is
// the anchor, clipped at the map's right and bottom edges (and, whatever the state says, at the
// grid's edges and at negative indices). Calls written(rowOffset, colOffset) for every cell
// written. Returns the number of cells written.
int paintPen(EditorState& state, Anchor anchor,
             const std::function<void(int rowOffset, int colOffset)>& written = {});

// Stamp: the 10 x 10 bank `bank` with its top-left cell on the anchor; transparent cells and cells
// beyond the map's right or bottom edge are not written. Returns the number of cells written.
int pasteStamp(EditorState& state, int bank, Anchor anchor);

// Right-button pick: the chip at the anchor (the grid is read even outside the map rectangle,
// but never outside the grid). An anchor beyond the grid picks nothing: CurrentChip is returned
// unchanged.
std::int32_t pickChip(const EditorState& state, Anchor anchor);

} // namespace tilora
