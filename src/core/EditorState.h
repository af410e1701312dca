#pragma once
// The editor's shared state: one map open at a time, read and written by the windows' handlers.

#include "CellRect.h"
#include "ViewSize.h"
#include "Zoom.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

struct EditorState {
    // Element row * GridSide + column; only MapWidth x MapHeight in the top-left corner is the map.
    std::vector<std::int32_t> MapCells = std::vector<std::int32_t>(GridSide * GridSide, 0);

    std::int32_t MapWidth = 10;
    std::int32_t MapHeight = 0;
    std::int32_t CellSize = 32;   // 1, 2, 4, 8, 16, 32 or 64 pixels per chip in the map view
    std::int32_t ViewCol = 0;     // map column at the view's left edge
    std::int32_t ViewRow = 0;     // map row at the view's top edge
    std::int32_t ZoomPending = 0; // 1: the next left click on the map picks the zoom reference
    std::int32_t ZoomStep = DefaultZoomStep; // 1..7; CellSize = 2^(ZoomStep - 1) after a zoom pick
    std::int32_t MapModified = 0;
    std::int32_t StampMode = 0; // 0: clicks paint with the pen, 1: they paste the stamp
    std::int32_t PenSize = 1;   // 1, 2, 4 or 8 chips
    std::int32_t PenDragActive = 0;
    std::int32_t CurrentChip = 0;
    std::int32_t SheetColumns = 0; // chip sheet width div 32
    std::int32_t SheetScrollY = 0;
    std::int32_t SheetScrollX = 0;
    std::int32_t HoverCol = 0; // cell under the mouse, counted from the view's left edge
    std::int32_t HoverRow = 0;

    std::string SheetFileName; // full path of the chip sheet, any length

    // The cells the selection tool chose (empty: none); always inside the map when it is set.
    CellRect Selection;

    // Bank b, row r, column c is element b * 100 + r * 10 + c.
    StampBankArray StampBanks{};

    std::int32_t& cell(int row, int col) { return MapCells[std::size_t(row) * GridSide + col]; }
    std::int32_t cell(int row, int col) const {
        return MapCells[std::size_t(row) * GridSide + col];
    }
    void clearStampBanks() { StampBanks.fill(0); }
};

} // namespace tilora
