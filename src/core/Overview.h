#pragma once
// The overview: the whole map drawn small, each cell in its chip's average colour. A map of up to
// 128 cells a side gets two or more pixels per cell, one of up to 256 a side one pixel per cell,
// and a larger one several cells a side to one pixel (their colours averaged), so the picture fits
// in 256 x 256. The picture follows the map through small updates of the cells that changed; the
// view's rectangle is drawn over it by the window that shows it.

#include "Bitmap.h"
#include "UndoHistory.h"
#include "ViewSize.h"

#include <cstdint>
#include <vector>

namespace tilora {

struct EditorState;

inline constexpr int OverviewPixels = 256; // the picture's largest side

// How map cells become overview pixels: `pixels` x `pixels` pixels per cell, or `cells` x `cells`
// cells per pixel; one of the two is 1.
struct OverviewScale {
    int pixels = 1;
    int cells = 1;

    // The scale that fits a map of `width` x `height` cells in 256 x 256 as large as it can.
    static OverviewScale forMap(int width, int height);
    // Picture pixels along a map side of `cellCount` cells.
    int pictureSide(int cellCount) const;
    // The map cell under picture pixel `pixel` (the middle cell of a pixel over several).
    int cellAt(int pixel) const;
    // The picture pixels [first, end) that show cells [firstCell, endCell).
    int pixelOf(int cell) const { return cell * pixels / cells; }
    int pixelEnd(int endCell) const { return (endCell * pixels + cells - 1) / cells; }

    friend bool operator==(const OverviewScale&, const OverviewScale&) = default;
};

// The average colour of every chip of a sheet, for the overview: chip k at k's place in the
// sheet's numbering, a chip the sheet does not have in the neutral chip's average colour.
class ChipColours {
  public:
    // The sheet is read here only; `sheetColumns` as the map view numbers chips.
    void build(const Bitmap* sheet, int sheetColumns);
    Pixel colour(std::int32_t chip) const {
        return chip >= 0 && std::uint32_t(chip) < colours_.size() ? colours_[std::size_t(chip)]
                                                                  : neutral_;
    }
    Pixel neutral() const { return neutral_; }

  private:
    std::vector<Pixel> colours_;
    Pixel neutral_ = 0;
};

class Overview {
  public:
    // The chips' colours from the sheet; call again when the sheet or its chip numbering changes.
    // The picture is then out of date until the next rebuild.
    void setSheet(const Bitmap* sheet, int sheetColumns) { colours_.build(sheet, sheetColumns); }
    const ChipColours& colours() const { return colours_; }

    // The whole picture anew for the map's size and cells.
    void rebuild(const EditorState& state);
    // Only the pixels over `area` (grid rows and columns) drawn again from the map; returns the
    // picture rectangle that changed (empty when the area lies outside the map). A map of another
    // size than the picture was built for is rebuilt whole.
    Rect update(const EditorState& state, const CellArea& area);

    const Bitmap& picture() const { return picture_; }
    OverviewScale scale() const { return scale_; }
    // The map size the picture shows.
    int mapWidth() const { return mapWidth_; }
    int mapHeight() const { return mapHeight_; }

    // The view's rectangle on the picture: the cells the map view shows, cut to the map.
    Rect viewRect(const EditorState& state, const ViewSize& view) const;
    // The map cell (row, col) under picture pixel (x, y), held inside the map.
    struct Cell {
        int row = 0;
        int col = 0;
    };
    Cell cellAt(int x, int y) const;

  private:
    // Picture rows [top, bottom) and columns [left, right) drawn from the map.
    void draw(const EditorState& state, int top, int left, int bottom, int right);

    ChipColours colours_;
    Bitmap picture_;
    OverviewScale scale_;
    int mapWidth_ = 0;
    int mapHeight_ = 0;
    // One row of picture pixels' colour sums while several map rows are added up.
    std::vector<std::uint32_t> sums_;
};

} // namespace tilora
