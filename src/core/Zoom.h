#pragma once
// The zoom and view rules of the map view: the zoom steps, the cell size each gives, the zoom
// pick and the view origin kept inside the map. The only place the step limits are written. The
// view's size is a parameter of every rule: the view shows view.columns(CellSize) x
// view.rows(CellSize) cells.

#include "ViewSize.h"

#include <cstdint>

namespace tilora {

struct EditorState;

// Zoom steps run from 1 (1-pixel cells) to 7 (64-pixel cells); a new map starts at step 6.
constexpr int MinZoomStep = 1;
constexpr int MaxZoomStep = 7;
constexpr int DefaultZoomStep = 6;

// CellSize for a zoom step 1..7: 1, 2, 4, 8, 16, 32, 64 (steps outside are held at the limits).
int cellSizeForZoomStep(int zoomStep);

// Zoom pick: CellSize from ZoomStep, the clicked cell becomes the view origin, pulled back so
// that the view ends at the map's edge, or starts at 0 when the whole map fits. ZoomStep is kept
// within the limits. ZoomPending stays 1: the view refresh that follows must still see it, and
// the window clears it after that refresh. PenDragActive, MapModified and the hover cell are
// untouched.
void applyZoomPick(EditorState& state, const ViewSize& view);

// Zoom buttons: step ZoomStep and arm the pick; false (and nothing changed) at the limits.
bool zoomIn(EditorState& state);
bool zoomOut(EditorState& state);

// The zoom buttons usable once a zoom pick is done: each while its limit is not reached.
bool canZoomIn(const EditorState& state);
bool canZoomOut(const EditorState& state);

// The wheel's zoom: one step in (direction > 0) or out from the current CellSize, keeping the map
// cell under view pixel (x, y) under that pixel, the origin then pulled back inside the map as
// the zoom pick does. ZoomStep follows the new CellSize. False, and nothing changed, at the
// limits.
bool zoomAtPixel(EditorState& state, const ViewSize& view, int direction, int x, int y);

// The cursor frame's edge after a zoom pick: CellSize, but never less than 5 pixels.
int cursorFrameSize(int cellSize);

// The view origin pulled back, as the zoom pick pulls it, so that the view lies inside the map
// (and starts at 0 where the map is smaller than the view). A new map or a load while a zoom pick
// is pending keeps the old origin only as far as the new map allows; so does a view that grew.
void keepViewInsideMap(EditorState& state, const ViewSize& view);

// The view as a full refresh leaves it: back to the top-left corner at the default zoom step,
// unless a zoom pick is pending, whose origin is kept as far as the map allows. CellSize is left
// as it is.
void settleViewForRefresh(EditorState& state, const ViewSize& view);

// The view moved so that map cell (row, col) is at its centre, as far as the map allows (the
// overview's click). The cell size is unchanged.
void centreViewOn(EditorState& state, const ViewSize& view, int row, int col);

} // namespace tilora
