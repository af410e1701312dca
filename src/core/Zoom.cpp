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

void applyZoomPick(EditorState& state, const ViewSize& view) {
    state.ZoomStep = std::clamp<std::int32_t>(state.ZoomStep, MinZoomStep, MaxZoomStep);
    state.CellSize = cellSizeForZoomStep(state.ZoomStep);
    // The spans at the new cell size: the view keeps its pixels and shows more or fewer cells.
    state.ViewRow = pullBack(saturateToInt(std::int64_t(state.ViewRow) + state.HoverRow),
                             view.rows(state.CellSize), state.MapHeight);
    state.ViewCol = pullBack(saturateToInt(std::int64_t(state.ViewCol) + state.HoverCol),
                             view.columns(state.CellSize), state.MapWidth);
}

void keepViewInsideMap(EditorState& state, const ViewSize& view) {
    const int size = std::max<std::int32_t>(state.CellSize, 1);
    state.ViewRow = pullBack(state.ViewRow, view.rows(size), state.MapHeight);
    state.ViewCol = pullBack(state.ViewCol, view.columns(size), state.MapWidth);
}

void centreViewOn(EditorState& state, const ViewSize& view, int row, int col) {
    const int size = std::max<std::int32_t>(state.CellSize, 1);
    state.ViewRow = saturateToInt(std::int64_t(row) - view.rows(size) / 2);
    state.ViewCol = saturateToInt(std::int64_t(col) - view.columns(size) / 2);
    keepViewInsideMap(state, view);
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

bool zoomAtPixel(EditorState& state, const ViewSize& view, int direction, int x, int y) {
    int step = MinZoomStep;
    while (step < MaxZoomStep && cellSizeForZoomStep(step) < state.CellSize)
        ++step;
    const int next = step + (direction > 0 ? 1 : -1);
    if (next < MinZoomStep || next > MaxZoomStep) return false;
    // The cell under the pixel, as the cursor tracks it: never beyond the view's last cell.
    const ViewCell before = viewCellAt(view, state.CellSize, x, y);
    const std::int64_t col = std::int64_t(state.ViewCol) + before.col;
    const std::int64_t row = std::int64_t(state.ViewRow) + before.row;
    state.ZoomStep = next;
    state.CellSize = cellSizeForZoomStep(next);
    const ViewCell after = viewCellAt(view, state.CellSize, x, y);
    state.ViewCol = saturateToInt(col - after.col);
    state.ViewRow = saturateToInt(row - after.row);
    keepViewInsideMap(state, view);
    return true;
}

int cursorFrameSize(int cellSize) {
    return std::max(cellSize, 5);
}

void settleViewForRefresh(EditorState& state, const ViewSize& view) {
    if (state.ZoomPending == 0) {
        state.ViewCol = 0;
        state.ViewRow = 0;
        state.ZoomStep = DefaultZoomStep;
    } else {
        keepViewInsideMap(state, view);
    }
}

} // namespace tilora
