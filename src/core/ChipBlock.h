#pragma once
// A block of chips taken out of the map (copy, cut), written back by paste, and its text on the
// clipboard: one map row per line in the map file's own form ("12,7,7," and CR LF), so a block
// goes to and from a text editor, a spreadsheet or another editor window.

#include "Result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tilora {

// Rows and columns of the largest block: the grid.
inline constexpr int MaxBlockSide = 1000;

struct ChipBlock {
    int width = 0;
    int height = 0;
    std::vector<std::int32_t> cells; // width * height, row after row

    bool empty() const { return width <= 0 || height <= 0; }
    std::int32_t at(int row, int col) const { return cells[std::size_t(row) * width + col]; }
    friend bool operator==(const ChipBlock&, const ChipBlock&) = default;
};

// Each row as the map file writes it: every chip followed by ",", the line ended by CR LF.
std::string formatChipBlock(const ChipBlock& block);

// Reads a block from text: lines ending in CR LF or LF (the last one may lack it, and empty lines
// may follow it), values separated by "," or a tab (what a spreadsheet copies), with or without
// one after the last value of a line, blanks around a value allowed. Refused, with a message
// that says what is wrong and where: no value at all, a value that is not a whole number or does
// not fit 32 bits, an empty value or line, lines of different lengths, and more than 1000 rows
// or columns.
Result<ChipBlock> parseChipBlock(std::string_view text);

} // namespace tilora
