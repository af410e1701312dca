#pragma once
// The grid over the map view: lines between cells, drawn over the picture at cell sizes of 8
// pixels and more, with a stronger line every 10 cells (the stamp's size) counted from the map's
// first column and row, so the strong lines stay on the same map cells while the view scrolls.

#include <vector>

namespace tilora {

inline constexpr int MinGridCellSize = 8;
inline constexpr int StrongGridEvery = 10;

struct GridLine {
    int pixel = 0; // the line's pixel column (row) in the view: the first pixel of its cell
    bool strong = false;
    friend bool operator==(const GridLine&, const GridLine&) = default;
};

// The lines along one side of the view: one at the left (top) edge of each of `cells` view cells
// from map column (row) `origin`, none below the grid's smallest cell size.
std::vector<GridLine> gridLines(int origin, int cells, int cellSize);

} // namespace tilora
