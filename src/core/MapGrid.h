#pragma once
// The shape every map shares: the grid it lives in, the sizes it may have and the chip's edge;
// and the shape of the stamp banks painted onto it.

#include <array>
#include <cstdint>

namespace tilora {

// The grid is always 1000 x 1000; its row stride is fixed at 1000 so maps up to 1000 wide share
// one layout and a smaller map is just the top-left corner of the grid.
inline constexpr int GridSide = 1000;
inline constexpr int MinMapSide = 10;
inline constexpr int MaxMapSide = 1000;

inline constexpr int ChipPixels = 32; // edge of one chip on the chip sheet

inline constexpr int StampBankCount = 50;
inline constexpr int StampSide = 10;
inline constexpr int StampCells = StampSide * StampSide;
inline constexpr std::int32_t TransparentChip = -1; // a stamp cell that leaves the map untouched

using StampBankArray = std::array<std::int32_t, StampBankCount * StampCells>;

} // namespace tilora
