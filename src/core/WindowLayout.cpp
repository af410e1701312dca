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

MapViewLayout mapViewLayout(const EditorState& state, const ViewSize& view) {
    MapViewLayout l;
    l.viewWidth = l.imageWidth = view.pixelWidth(state.CellSize);
    l.viewHeight = l.imageHeight = view.pixelHeight(state.CellSize);
    const int mapPixelsWide = state.CellSize * state.MapWidth;
    const int mapPixelsHigh = state.CellSize * state.MapHeight;
    l.horizontalBar = mapPixelsWide > l.viewWidth;
    l.verticalBar = mapPixelsHigh > l.viewHeight;
    if (l.horizontalBar)
        l.horizontalMax = mapPixelsWide - l.viewWidth;
    else
        l.imageWidth = mapPixelsWide;
    if (l.verticalBar)
        l.verticalMax = mapPixelsHigh - l.viewHeight;
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
