#include "Zoom.h"

#include "EditorState.h"
#include "Geometry.h"

#include <algorithm>

namespace tilora {

namespace {

// The loop "while origin + span > mapSide and origin != 0: origin--" in closed form, with the
// map side capped at the grid so that the view never reaches past the grid either.
std::int32_t pullBack(std::int32_t origin, int span, std::int32_t mapSide) {
    const int side = std::clamp<std::int32_t>(mapSide, 0, GridSide);
    return std::clamp<std::int32_t>(origin, 0, std::max(0, side - span));
}

} // namespace

int cellSizeForZoomStep(int zoomStep) {
    return 1 << (std::clamp(zoomStep, MinZoomStep, MaxZoomStep) - 1);
}

void applyZoomPick(EditorState& state) {
    state.ZoomStep = std::clamp<std::int32_t>(state.ZoomStep, MinZoomStep, MaxZoomStep);
    state.CellSize = cellSizeForZoomStep(state.ZoomStep);
    const int span = ViewPixels / state.CellSize;
    state.ViewRow = pullBack(saturateToInt(std::int64_t(state.ViewRow) + state.HoverRow), span,
                             state.MapHeight);
    state.ViewCol =
        pullBack(saturateToInt(std::int64_t(state.ViewCol) + state.HoverCol), span, state.MapWidth);
}

void keepViewInsideMap(EditorState& state) {
    const int span = ViewPixels / std::max<std::int32_t>(state.CellSize, 1);
    state.ViewRow = pullBack(state.ViewRow, span, state.MapHeight);
    state.ViewCol = pullBack(state.ViewCol, span, state.MapWidth);
}

bool zoomIn(EditorState& state) {
    if (!canZoomIn(state)) return false;
    ++state.ZoomStep;
    state.ZoomPending = 1;
    return true;
}

bool zoomOut(EditorState& state) {
    if (!canZoomOut(state)) return false;
    --state.ZoomStep;
    state.ZoomPending = 1;
    return true;
}

bool canZoomIn(const EditorState& state) {
    return state.ZoomStep < MaxZoomStep;
}

bool canZoomOut(const EditorState& state) {
    return state.ZoomStep > MinZoomStep;
}

bool zoomAtPixel(EditorState& state, int direction, int x, int y) {
    int step = MinZoomStep;
    while (step < MaxZoomStep && cellSizeForZoomStep(step) < state.CellSize)
        ++step;
    const int next = step + (direction > 0 ? 1 : -1);
    if (next < MinZoomStep || next > MaxZoomStep) return false;
    // The cell under a pixel, as the cursor tracks it: never beyond the view's last cell.
    const auto cellAt = [](int pixel, int size) {
        return std::clamp(pixelToCell(pixel, size), 0, ViewPixels / size - 1);
    };
    const std::int64_t col = std::int64_t(state.ViewCol) + cellAt(x, state.CellSize);
    const std::int64_t row = std::int64_t(state.ViewRow) + cellAt(y, state.CellSize);
    state.ZoomStep = next;
    state.CellSize = cellSizeForZoomStep(next);
    state.ViewCol = saturateToInt(col - cellAt(x, state.CellSize));
    state.ViewRow = saturateToInt(row - cellAt(y, state.CellSize));
    keepViewInsideMap(state);
    return true;
}

int cursorFrameSize(int cellSize) {
    return std::max(cellSize, 5);
}

void settleViewForRefresh(EditorState& state) {
    if (state.ZoomPending == 0) {
        state.ViewCol = 0;
        state.ViewRow = 0;
        state.ZoomStep = DefaultZoomStep;
    } else {
        keepViewInsideMap(state);
    }
}

} // namespace tilora
