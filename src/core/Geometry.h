#pragma once
// Small pieces of grid arithmetic shared by the map view, the chip palette and the stamp editor.

#include <cstdint>

namespace tilora {

// Pixel to cell: from cell 0, while the coordinate is greater than the cell size, subtract the
// size and count one cell. 0..size is cell 0, size+1..2*size cell 1, and so on.
int pixelToCell(int pixel, int cellSize);

// A proposed palette scroll position rounded down to a multiple of 32 (positive remainders only).
int snapSheetScroll(int position);

// Chip index of the square at sheet column `col`, row `row`.
std::int32_t chipIndexAt(int col, int row, int sheetColumns);

// Chips on a sheet of the given pixel size (partial squares at the right and bottom are none).
int chipCount(int sheetWidth, int sheetHeight);

// A wide value held at the ends of int's range instead of wrapping.
int saturateToInt(std::int64_t value);

} // namespace tilora
