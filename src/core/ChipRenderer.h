#pragma once
// The cell drawing rule: one map cell is its chip's 32 x 32 square of the chip sheet, stretched
// to CellSize x CellSize. Chips below 0, past the sheet's last chip, or whose square does not
// lie wholly inside the sheet are drawn as the neutral chip, never read from outside the sheet.

#include "Bitmap.h"
#include "EditorState.h"

#include <cstdint>
#include <vector>

namespace tilora {

// The look of a chip that the sheet does not have: 32 x 32, the same everywhere.
const Bitmap& neutralChip();

// Source square of chip `chip` on a sheet with `sheetColumns` chips per row (truncating division,
// so -1 gives (-32, 0)). Undefined for sheetColumns <= 0.
Rect chipSourceRect(std::int32_t chip, int sheetColumns);

// True when the chip's square lies wholly inside the sheet.
bool chipOnSheet(std::int32_t chip, int sheetColumns, const Bitmap& sheet);

// The widest vector instructions the cached redraw may use. Wider paths are taken only where the
// processor has them; narrower ones exist so that every path can be compared with the others.
enum class VectorPath { Scalar, Sse2, Avx2 };

class ChipRenderer {
  public:
    void setWidestVectorPath(VectorPath widest) { widest_ = widest; }

    // The sheet is borrowed and must outlive its use here. Call again whenever the sheet's pixels
    // change: that drops everything cached for the old sheet.
    void setSheet(const Bitmap* sheet);
    const Bitmap* sheet() const { return sheet_; }

    // Draws one chip at (x, y) of dst, cellSize square (1, 2, 4, 8, 16, 32 or 64), clipped at dst's
    // edges. No allocation once the cache for this sheet and cell size exists.
    void drawChip(Bitmap& dst, int x, int y, int cellSize, int sheetColumns, std::int32_t chip);

    // View cell (i, j): the chip at map (ViewRow + i, ViewCol + j) drawn at (j, i) * CellSize.
    void drawViewCell(Bitmap& view, const EditorState& state, int i, int j);

    // Every view cell of the view's bitmap, rows outer and columns inner: the bitmap is the view,
    // width / CellSize x height / CellSize whole cells (320 x 320 pixels as laid out, larger when
    // the map window grows); a partial cell at its right or bottom edge is drawn clipped.
    void redrawView(Bitmap& view, const EditorState& state);

  private:
    void ensureCache(int cellSize, int sheetColumns);
    // redrawView's whole cells for cell sizes below 32.
    void redrawFromCache(Bitmap& view, const EditorState& state, int cellSize, int rows,
                         int columns);

    const Bitmap* sheet_ = nullptr;
    VectorPath widest_ = VectorPath::Avx2;
    // The sheet's chips reduced to cacheCellSize_, in a grid of cacheColumns_ x cacheRows_ chips,
    // followed by the neutral chip in the last slot. Only cell sizes below 32 are cached.
    Bitmap cache_;
    int cacheCellSize_ = 0;
    int cacheColumns_ = 0;
    int cacheRows_ = 0;
    int cacheSheetColumns_ = 0;
    // Where each cell of a view row starts in the cache; grows with the widest view drawn.
    std::vector<std::uint32_t> offsets_;
};

} // namespace tilora
