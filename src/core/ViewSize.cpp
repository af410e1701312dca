#include "ViewSize.h"

#include "Geometry.h"

#include <algorithm>

namespace tilora {

int ViewSize::columns(int cellSize) const {
    return cellSize > 0 ? std::max(1, width / cellSize) : 1;
}

int ViewSize::rows(int cellSize) const {
    return cellSize > 0 ? std::max(1, height / cellSize) : 1;
}

ViewSize viewSizeForRoom(int width, int height, ViewSize largest) {
    const auto side = [](int room, int most) {
        return std::clamp(room, ViewPixels, std::max(ViewPixels, most));
    };
    return {side(width, largest.width), side(height, largest.height)};
}

ViewCell viewCellAt(const ViewSize& view, int cellSize, int x, int y) {
    return {std::clamp(pixelToCell(y, cellSize), 0, view.rows(cellSize) - 1),
            std::clamp(pixelToCell(x, cellSize), 0, view.columns(cellSize) - 1)};
}

} // namespace tilora
