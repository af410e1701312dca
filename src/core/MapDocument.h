#pragma once
// The map being edited: its cells and size, its chip sheet (line 1 as the file names it, the file
// found on this machine, the picture), the file it belongs to, whether it differs from that file,
// and its undo steps, with the operations that change them together: a new map, opening a map
// the load pipeline read (core/MapLoad), saving, undo and redo. The editor's state is this
// document and the view and tool settings around it (core/EditorState).

#include "Bitmap.h"
#include "CellRect.h"
#include "MapGrid.h"
#include "Result.h"
#include "UndoHistory.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tilora {

struct LoadedMap;
struct MapContents;

// Writes a chip sheet's picture as a PNG file at `file` (the caller's encoder; the core has
// none), leaving no file behind when it fails.
using SheetFileWriter = std::function<Status(const std::string& file, const Bitmap& picture)>;

struct MapDocument {
    // Element row * GridSide + column; only MapWidth x MapHeight in the top-left corner is the map.
    std::vector<std::int32_t> MapCells = std::vector<std::int32_t>(GridSide * GridSide, 0);
    std::int32_t MapWidth = 10;
    std::int32_t MapHeight = 0;
    std::int32_t MapModified = 0; // 1: the map differs from its file (or has none)

    std::string SheetFileName; // the chip sheet's path as line 1 names it (bytes, any length)
    std::string SheetFoundAt;  // the sheet's file on this machine (bytes); empty when it has none
    std::shared_ptr<const Bitmap> SheetPicture; // what every chip is drawn from
    // A sheet an import made, with no file yet: the tileset's name ("chips" for a mixed one),
    // which the file written at the first save is named after. Empty otherwise.
    std::string GeneratedSheetName;

    std::string CurrentFileName; // the map's file (bytes); empty for a new or imported map

    // The cells the selection tool chose (empty: none); always inside the map when it is set.
    CellRect Selection;

    // The map's undo steps: painting records into it; a new map and a load clear it.
    UndoHistory History;

    std::int32_t& cell(int row, int col) { return MapCells[std::size_t(row) * GridSide + col]; }
    std::int32_t cell(int row, int col) const {
        return MapCells[std::size_t(row) * GridSide + col];
    }

    // The picture, or an empty bitmap before any sheet.
    const Bitmap& sheet() const;
    // Whether the sheet is one an import made that still has to be written.
    bool sheetUnwritten() const { return !GeneratedSheetName.empty(); }

    // A width x height map of `chip`: only its rectangle is written, the rest of the grid keeps
    // what it held. No file and no history; it counts as modified. The sheet stays as it is.
    void startNew(int width, int height, std::int32_t chip);

    // Takes a map the load pipeline read (or an import made): cells, size, sheet and file. The
    // history starts afresh; the map counts as saved unless the loaded map says it differs.
    void open(LoadedMap loaded);

    // The sheet file line 1 leads to from the map's file, as a load would find it; for a map
    // without a file only an absolute line 1 leads anywhere. Empty when none is found.
    std::string sheetInUse() const;

    // Writes the map to `path` through the safe save (never into a pipe or a device), line 1
    // naming the sheet so that it is found from there: kept as it is while it still leads to the
    // sheet in use, else rewritten relative to the new folder (core/SheetPathRebase). A sheet
    // that has no file yet is written first, by writeSheet, beside the map as
    // "<map name>-<GeneratedSheetName>.png" (a free name: an existing file is never replaced),
    // and line 1 names it; it is removed again if the map cannot be written. On success the
    // path becomes the map's file and the map counts as saved; on failure nothing changes.
    Status saveAs(const std::string& path, const SheetFileWriter& writeSheet = {});
    // Writes the map to its own file with line 1 as it is (a map without a file: refused).
    Status save(const SheetFileWriter& writeSheet = {});
};

} // namespace tilora
