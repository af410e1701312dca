#pragma once
// The editing tools' changes to the map: copy, delete, cut, paste and move of a rectangle of
// cells, capture of the selection into a stamp bank, the filled rectangle, the straight line and
// the pen's run joined without gaps. The windows call these and redraw what changed.
//
// Every edit below that takes a history is one undo step of its own (a step left open by the
// pen's run is closed first), keeps the selection as it was before and after the edit so undo
// and redo put the outline back, and sets MapModified when it changed a cell. Nothing outside
// the map is read or written, whatever the rectangles and anchors say.

#include "ChipBlock.h"
#include "EditorState.h"
#include "Painting.h"

#include <functional>

namespace tilora {

class UndoHistory;

// The cells of `rect` that lie on the map (an empty block when none does).
ChipBlock copyBlock(const EditorState& state, CellRect rect);

// Every cell of the selection gets CurrentChip. Returns the number of cells that changed.
int deleteSelection(EditorState& state, UndoHistory& history);

// The selection's block, then the selection deleted as above.
ChipBlock cutSelection(EditorState& state, UndoHistory& history);

// The block with its top-left cell on `at`, cut off at the map's edges; a cell of the block
// holding TransparentChip leaves the map cell under it as it is, as a stamp's does. The pasted
// cells (those on the map) become the selection. Returns the number of cells that changed.
int pasteBlock(EditorState& state, UndoHistory& history, const ChipBlock& block, Anchor at);

// The selection's cells move `rows` down and `cols` to the right (negative: up, left); the cells
// they leave get CurrentChip, and cells moved off the map are gone. The selection follows them,
// cut down to the map. Returns the number of cells that changed.
int moveSelection(EditorState& state, UndoHistory& history, int rows, int cols);

// Stamp bank `bank` gets the selection's top-left 10 x 10 cells; its cells beyond a smaller
// selection become TransparentChip. No map cell changes, so MapModified stays; the history keeps
// the bank as it was, for undo. Returns whether the bank changed.
bool captureToStamp(EditorState& state, UndoHistory& history, int bank);

// Every cell of the rectangle with corner cells `a` and `b` (either order) gets CurrentChip.
int fillRectangle(EditorState& state, UndoHistory& history, Anchor a, Anchor b);

// The pen's square (PenSize) with its top-left cell on every cell of the straight line from `a`
// to `b` writes CurrentChip.
int drawLine(EditorState& state, UndoHistory& history, Anchor a, Anchor b);

struct StrokeResult {
    int written = 0; // map cells written
    int changed = 0; // of those, the ones that held another chip (counted with a history)
};

// The pen's run moving from the anchor it last painted, `from`, to `to`: the pen squares along
// the line between them, `from`'s left out (a quick move skips no cell), or the square at `to`
// alone when the two are neighbours or the same cell. Writes CurrentChip and calls
// written(row, col) for every map cell written. With a history the cells join its open step,
// as the run's other cells do; MapModified is the caller's.
StrokeResult paintStroke(EditorState& state, UndoHistory* history, Anchor from, Anchor to,
                         const std::function<void(int row, int col)>& written = {});

} // namespace tilora
