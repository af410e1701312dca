#include "Geometry.h"

#include "EditorState.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tilora {

int pixelToCell(int pixel, int cellSize) {
    // The counting loop "while pixel > size: pixel -= size, cell++" in closed form. A pixel on a
    // cell's right or bottom boundary still belongs to that cell, hence the -1.
    if (pixel <= 0 || cellSize <= 0) return 0;
    return (pixel - 1) / cellSize;
}

int snapSheetScroll(int position) {
    // C++ remainder takes the sign of the dividend, so negative positions are left alone.
    const int r = position % ChipPixels;
    return r > 0 ? position - r : position;
}

std::int32_t chipIndexAt(int col, int row, int sheetColumns) {
    // Widened so that a corrupt column count cannot overflow; saturates instead.
    const std::int64_t index = std::int64_t(row) * sheetColumns + col;
    return saturateToInt(index);
}

int chipCount(int sheetWidth, int sheetHeight) {
    if (sheetWidth < ChipPixels || sheetHeight < ChipPixels) return 0;
    const std::int64_t count = std::int64_t(sheetWidth / ChipPixels) * (sheetHeight / ChipPixels);
    return saturateToInt(count);
}

std::int32_t guardedChip(std::int32_t wanted, std::int32_t current, int chips) {
    const auto usable = [chips](std::int32_t chip) {
        return chip == TransparentChip || (chip >= 0 && chip < chips);
    };
    if (usable(wanted)) return wanted;
    return usable(current) ? current : 0;
}

int saturateToInt(std::int64_t value) {
    return int(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                        std::numeric_limits<int>::max()));
}

} // namespace tilora
