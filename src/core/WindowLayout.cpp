#include "WindowLayout.h"

#include "Zoom.h"

namespace tilora {

ChipWindowLayout chipWindowLayout(int sheetWidth, int sheetHeight) {
    ChipWindowLayout l;
    l.clientWidth = sheetWidth;
    l.clientHeight = sheetHeight;
    l.horizontalBar = sheetWidth > ViewPixels;
    l.verticalBar = sheetHeight > ViewPixels;
    if (l.horizontalBar) l.horizontalMax = sheetWidth - ViewPixels;
    if (l.verticalBar) l.verticalMax = sheetHeight - ViewPixels;
    if (l.verticalBar && l.horizontalBar) {
        l.clientWidth = ViewPixels + PaletteBarWidth;
        l.clientHeight = ViewPixels + PaletteBarHeight;
    } else if (l.verticalBar) {
        l.verticalBarLeft = sheetWidth;
        l.clientWidth = sheetWidth + PaletteBarWidth;
        l.clientHeight = ViewPixels;
    } else if (l.horizontalBar) {
        l.horizontalBarTop = sheetHeight;
        l.clientWidth = ViewPixels;
        l.clientHeight = sheetHeight + PaletteBarHeight;
    }
    return l;
}

MapViewLayout mapViewLayout(const EditorState& state) {
    MapViewLayout l;
    const int mapPixelsWide = state.CellSize * state.MapWidth;
    const int mapPixelsHigh = state.CellSize * state.MapHeight;
    l.horizontalBar = mapPixelsWide > ViewPixels;
    l.verticalBar = mapPixelsHigh > ViewPixels;
    if (l.horizontalBar)
        l.horizontalMax = mapPixelsWide - ViewPixels;
    else
        l.imageWidth = mapPixelsWide;
    if (l.verticalBar)
        l.verticalMax = mapPixelsHigh - ViewPixels;
    else
        l.imageHeight = mapPixelsHigh;
    l.verticalPosition = state.ViewRow * state.CellSize;
    l.horizontalPosition = state.ViewCol * state.CellSize;
    l.arrowStep = state.CellSize;
    l.pageStep = 2 * state.CellSize;
    l.cursorSide = cursorFrameSize(state.CellSize);
    return l;
}

} // namespace tilora
