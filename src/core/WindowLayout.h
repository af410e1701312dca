#pragma once
// Where the palette and the map window put their pictures and scroll bars: the arithmetic of
// their layouts, apart from the widgets that mirror it.

#include "EditorState.h"

namespace tilora {

// The palette's bars: the vertical one 16 wide, the horizontal one 17 high.
constexpr int PaletteBarWidth = 16;
constexpr int PaletteBarHeight = 17;

// The palette sized for a sheet: the sheet itself where it fits in the 320 x 320 viewport, the
// viewport with a bar each way the sheet is larger. Bars start at position 0.
struct ChipWindowLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    bool verticalBar = false;
    bool horizontalBar = false;
    int verticalMax = 0; // scroll ranges, in pixels, where the bar is shown
    int horizontalMax = 0;
    int verticalBarLeft = ViewPixels; // beside the sheet, or beside the viewport
    int horizontalBarTop = ViewPixels;
};
ChipWindowLayout chipWindowLayout(int sheetWidth, int sheetHeight);

// The map window after a refresh: the view (320 x 320 as laid out, or the whole cells of a larger
// window) cut to the map where the map is smaller, a bar each way the map is larger, the bars at
// the view origin and stepping a cell (a page is two cells), the cursor at its smallest clickable
// size.
struct MapViewLayout {
    int viewWidth = ViewPixels; // the view's picture, in whole cells
    int viewHeight = ViewPixels;
    int imageWidth = ViewPixels; // the part of it shown: the map's extent where that is smaller
    int imageHeight = ViewPixels;
    bool verticalBar = false;
    bool horizontalBar = false;
    int verticalMax = 0;
    int horizontalMax = 0;
    int verticalPosition = 0; // pixels
    int horizontalPosition = 0;
    int arrowStep = 0;
    int pageStep = 0;
    int cursorSide = 0;
};
MapViewLayout mapViewLayout(const EditorState& state, const ViewSize& view);

} // namespace tilora
