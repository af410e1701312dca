#pragma once
// The editor's shared state: one map open at a time, read and written by the windows' handlers.
// The map itself (cells, size, sheet, file, modified flag, selection, undo steps) is the
// MapDocument this state is made of; the rest is the view and the tools.

#include "MapDocument.h"
#include "ViewSize.h"
#include "Zoom.h"

#include <array>
#include <cstdint>

namespace tilora {

struct EditorState : MapDocument {
    std::int32_t CellSize = 32;   // 1, 2, 4, 8, 16, 32 or 64 pixels per chip in the map view
    std::int32_t ViewCol = 0;     // map column at the view's left edge
    std::int32_t ViewRow = 0;     // map row at the view's top edge
    std::int32_t ZoomPending = 0; // 1: the next left click on the map picks the zoom reference
    std::int32_t ZoomStep = DefaultZoomStep; // 1..7; CellSize = 2^(ZoomStep - 1) after a zoom pick
    std::int32_t StampMode = 0; // 0: clicks paint with the pen, 1: they paste the stamp
    std::int32_t PenSize = 1;   // 1, 2, 4 or 8 chips
    std::int32_t PenDragActive = 0;
    std::int32_t CurrentChip = 0;
    std::int32_t SheetColumns = 0; // chip sheet width div 32
    std::int32_t SheetScrollY = 0;
    std::int32_t SheetScrollX = 0;
    std::int32_t HoverCol = 0; // cell under the mouse, counted from the view's left edge
    std::int32_t HoverRow = 0;

    // Bank b, row r, column c is element b * 100 + r * 10 + c.
    StampBankArray StampBanks{};

    void clearStampBanks() { StampBanks.fill(0); }

    // The last step undone or done again: the cells, the selection's outline and the stamp bank
    // it changed. MapModified then says whether the map differs from its file. Returns the area
    // of cells that changed.
    CellArea undo();
    CellArea redo();
};

} // namespace tilora
