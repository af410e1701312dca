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

// Zoom pick: CellSize from ZoomStep, the clicked cell becomes the view origin, pulled back so
// that the view ends at the map's edge, or starts at 0 when the whole map fits. ZoomStep is kept
// within 1..7. ZoomPending stays 1: the view refresh that follows must still see it, and the
// window clears it after that refresh. PenDragActive, MapModified and the hover cell are untouched.
void applyZoomPick(EditorState& state);

// Zoom buttons: step ZoomStep and arm the pick; false (and nothing changed) at the limits.
bool zoomIn(EditorState& state);
bool zoomOut(EditorState& state);

// The cursor frame's edge after a zoom pick: CellSize, but never less than 5 pixels.
int cursorFrameSize(int cellSize);

// The view origin pulled back, as the zoom pick pulls it, so that the view lies inside the map
// (and starts at 0 where the map is smaller than the view). A new map or a load while a zoom pick
// is pending keeps the old origin only as far as the new map allows.
void keepViewInsideMap(EditorState& state);

} // namespace tilora
