// The map window's share of the editing tools: the selection's outline and the see-through
// previews (a block to paste or move, a rectangle or line being dragged), drawn by the overlay
// over the view and never into the map.

#include "core/Selection.h"
#include "mapview/MapViewPort.h"
#include "mapview/TMapWindow.h"
#include "platform/EditOverlay.h"
#include "platform/PictureWidget.h"

#include <algorithm>

namespace tilora {

namespace {

// Cells of the view as pixels of its picture.
QRect viewPixels(const EditorState& s, const CellRect& cells) {
    return {(cells.col - s.ViewCol) * s.CellSize, (cells.row - s.ViewRow) * s.CellSize,
            cells.cols * s.CellSize, cells.rows * s.CellSize};
}

} // namespace

CellRect TMapWindow::visibleCells() const {
    const EditorState& s = app_.State;
    return clipToMap(s, {s.ViewRow, s.ViewCol, view_.rows(s.CellSize), view_.columns(s.CellSize)});
}

void TMapWindow::showSelection() {
    const EditorState& s = app_.State;
    const CellRect on = clipToMap(s, s.Selection);
    // Only what lies in the view is drawn; an edge beyond it is not.
    const QRect shown = viewPixels(s, on).intersected(Image1->rect());
    Edits->setOutline(on.empty() ? QRect() : shown);
    updateStatusLine();
}

void TMapWindow::showBlockPreview(const ChipBlock& block, Anchor at) {
    const EditorState& s = app_.State;
    // The block's cells that land on the map and in the view; transparent cells stay clear.
    const CellRect view = visibleCells();
    const CellRect on = clipToMap(s, {at.row, at.col, block.height, block.width});
    const int top = std::max(view.row, on.row);
    const int left = std::max(view.col, on.col);
    const int bottom = std::min(view.row + view.rows, on.row + on.rows);
    const int right = std::min(view.col + view.cols, on.col + on.cols);
    if (bottom <= top || right <= left) {
        Edits->clearPreview();
        return;
    }
    const int size = s.CellSize;
    Bitmap picture((right - left) * size, (bottom - top) * size, 0);
    for (int r = top; r < bottom; ++r) {
        for (int c = left; c < right; ++c) {
            const std::int32_t chip = block.at(r - at.row, c - at.col);
            if (chip == TransparentChip) continue;
            drawOpaqueChip(picture, (c - left) * size, (r - top) * size, chip);
        }
    }
    Edits->setPreview(previewImage(picture), {(left - s.ViewCol) * size, (top - s.ViewRow) * size});
}

void TMapWindow::showSpansPreview(const std::vector<RowSpan>& spans) {
    const EditorState& s = app_.State;
    const CellRect view = visibleCells();
    const int size = s.CellSize;
    Bitmap picture(view.cols * size, view.rows * size, 0);
    bool any = false;
    for (const RowSpan& span : spans) {
        if (span.row < view.row || span.row >= view.row + view.rows) continue;
        const int left = std::max(span.col, view.col);
        const int right = std::min(span.col + span.cols, view.col + view.cols);
        for (int c = left; c < right; ++c) {
            drawOpaqueChip(picture, (c - view.col) * size, (span.row - view.row) * size,
                           s.CurrentChip);
            any = true;
        }
    }
    if (!any) {
        Edits->clearPreview();
        return;
    }
    Edits->setPreview(previewImage(picture),
                      {(view.col - s.ViewCol) * size, (view.row - s.ViewRow) * size});
}

void TMapWindow::clearPreview() {
    Edits->clearPreview();
}

void TMapWindow::drawOpaqueChip(Bitmap& picture, int x, int y, std::int32_t chip) {
    const EditorState& s = app_.State;
    app_.Renderer.drawChip(picture, x, y, s.CellSize, s.SheetColumns, chip);
    // The chip's pixels are shown whatever alpha the sheet had; the rest stays clear.
    for (int dy = 0; dy < s.CellSize && y + dy < picture.height(); ++dy) {
        Pixel* row = picture.row(y + dy);
        for (int dx = 0; dx < s.CellSize && x + dx < picture.width(); ++dx)
            row[x + dx] |= 0xFF000000u;
    }
}

QImage TMapWindow::previewImage(const Bitmap& picture) {
    return QImage(reinterpret_cast<const uchar*>(picture.data()), picture.width(), picture.height(),
                  picture.width() * int(sizeof(Pixel)), QImage::Format_ARGB32)
        .copy();
}

} // namespace tilora
