#pragma once
// Cells of the shapes the editor draws: a straight line of pen squares (the line tool, and the
// pen's run joining two pointer cells that are not neighbours) and a filled rectangle, each as
// one span of cells per row, so a shape is written row by row without writing a cell twice.

#include "CellRect.h"
#include "Painting.h"

#include <vector>

namespace tilora {

// `cols` cells of row `row` from column `col`.
struct RowSpan {
    int row = 0;
    int col = 0;
    int cols = 0;

    friend bool operator==(const RowSpan&, const RowSpan&) = default;
};

// The cells a square pen of `pen` x `pen` cells covers when its top-left cell walks the straight
// line from `from` to `to`: one step per cell along the longer axis, the other axis rounded to
// the nearest cell. With `skipFrom`, the pen square at `from` is left out unless it is also
// the square of a later step (the pen's run has painted it already). Spans come in row order.
// Only cells within a pen's width of the grid are kept, so far-away ends cost no more than the
// part of the line near the map.
std::vector<RowSpan> penLineSpans(Anchor from, Anchor to, int pen, bool skipFrom = false);

// Whether two anchors are the same cell or neighbours (sideways, up and down, or diagonal).
bool adjacentCells(Anchor a, Anchor b);

// The spans of a rectangle, one per row.
std::vector<RowSpan> rectSpans(CellRect rect);

} // namespace tilora
