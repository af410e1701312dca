#pragma once
// A rectangle of map cells: `rows` x `cols` cells whose top-left cell is (row, col). The selection
// is one, and so is the area an edit writes.

namespace tilora {

struct CellRect {
    int row = 0;
    int col = 0;
    int rows = 0;
    int cols = 0;

    bool empty() const { return rows <= 0 || cols <= 0; }
    bool contains(int r, int c) const {
        return !empty() && r >= row && r - row < rows && c >= col && c - col < cols;
    }
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

} // namespace tilora
