#include "GridLines.h"

namespace tilora {

std::vector<GridLine> gridLines(int origin, int cells, int cellSize) {
    std::vector<GridLine> lines;
    if (cellSize < MinGridCellSize || cells <= 0) return lines;
    lines.reserve(std::size_t(cells));
    for (int k = 0; k < cells; ++k)
        lines.push_back({k * cellSize, (origin + k) % StrongGridEvery == 0});
    return lines;
}

} // namespace tilora
