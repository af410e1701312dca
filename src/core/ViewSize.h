#pragma once
// The size of the map view, a value rather than a constant: 320 x 320 pixels as laid out, larger
// when the user makes the map window larger. It is the room the window gives its view; the view
// shows the whole cells that fit in it at the current cell size, so it grows and shrinks in whole
// cells, and at 320 x 320 every cell size (a power of two up to 64) fills it exactly.

namespace tilora {

// Edge of the map view as laid out, and of the stamp grid and the palette's viewport.
inline constexpr int ViewPixels = 320;

struct ViewSize {
    int width = ViewPixels; // pixels
    int height = ViewPixels;

    // Whole cells across and down at `cellSize` pixels per cell (at least one each way).
    int columns(int cellSize) const;
    int rows(int cellSize) const;
    // The pixels those cells cover: the size of the view's picture.
    int pixelWidth(int cellSize) const { return columns(cellSize) * cellSize; }
    int pixelHeight(int cellSize) const { return rows(cellSize) * cellSize; }

    friend bool operator==(const ViewSize&, const ViewSize&) = default;
};

// The view for the room a window leaves it: never below 320 x 320 (the view as laid out), never
// beyond `largest` (what the screen has room for; a screen smaller than the laid-out view keeps
// the laid-out view).
ViewSize viewSizeForRoom(int width, int height, ViewSize largest);

// The view cell under view pixel (x, y) by the pixel-to-cell rule, held inside the view: a pixel
// beyond the view's last column or row gives that column or row, never a cell the user cannot see.
struct ViewCell {
    int row = 0;
    int col = 0;
    friend bool operator==(const ViewCell&, const ViewCell&) = default;
};
ViewCell viewCellAt(const ViewSize& view, int cellSize, int x, int y);

} // namespace tilora
