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

// The current chip after `wanted` is asked for on a sheet of `chips` chips: `wanted` when the
// sheet has that chip, or when it is the transparent chip (a stamp cell the stamp editor's pick
// took); otherwise the chip stays `current` while the sheet has that one, else it becomes chip 0.
// Every change of the current chip and of the sheet goes through this, so the pen never paints,
// nor a save writes, a chip that the sheet does not have.
std::int32_t guardedChip(std::int32_t wanted, std::int32_t current, int chips);

// A wide value held at the ends of int's range instead of wrapping.
int saturateToInt(std::int64_t value);

} // namespace tilora
