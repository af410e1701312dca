#pragma once
// Importing a Tiled map (TMX or JSON, plain or gzip-compressed) as a map and its chip sheet, for
// tilora-cli's import and the editor's open. No Qt, no output: the caller writes or shows the
// result.
//
// What the map file cannot hold is refused with the reason (another orientation, an infinite
// map, tiles whose size does not divide 32, flipped or rotated tiles, a collection of images).
// The rest is brought into the one-sheet, one-layer, 32-pixel model:
// - one tile layer is taken (the first, or the one named), or all visible ones are flattened:
//   each distinct stack of tiles becomes a chip of a generated sheet;
// - tiles of 1, 2, 4, 8 or 16 pixels are enlarged by a whole factor (nearest neighbour);
// - a tileset with margin or spacing is repacked, several tilesets are put one below the other;
// - object and image layers are passed over with a notice.
// A single 32-pixel tileset without margin or spacing is used as it is: the map names its image.

#include "core/Bitmap.h"
#include "core/MapFile.h"
#include "core/Result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tilora::tiled {

// Asked which tile layer to take: given the tile layers' names, a layer's index, StackAllLayers,
// or nothing to stop.
using LayerChooser = std::function<std::optional<int>(const std::vector<std::string>&)>;

struct TiledImportOptions {
    std::string layer;       // the tile layer to take, by name ("group/name" inside groups)
    bool flatten = false;    // draw every visible tile layer into one
    int scale = 0;           // 0: whatever makes the tiles 32 pixels; else tile size x scale = 32
    bool decodeSheet = true; // also decode a tileset image the map names as it is
    // Notices and refusals name tilora-cli's options (--layer, --flatten, --scale) where one
    // would help; the editor, which asks instead, leaves them out.
    bool optionHints = true;
    // Asked when the map has several tile layers and neither `layer` nor `flatten` decides: the
    // tile layers' names, in order. The answer is a layer's index, StackAllLayers, or nothing to
    // stop the import, which then fails with an empty message. Without it the first is taken.
    LayerChooser chooseLayer;
};

inline constexpr int StackAllLayers = -1;

struct TiledImport {
    // sheetPath: the tileset image's absolute path (bytes) when the map uses it as it is; empty
    // when the sheet was generated (the caller saves `sheet` and names it).
    MapContents map;
    // The generated sheet; or the named image decoded (decodeSheet, when it is there and a BMP or
    // PNG); else nothing.
    std::optional<Bitmap> sheet;
    bool sheetGenerated = false;
    std::string sheetName;            // a generated sheet's tileset name; empty for a mixed one
    std::int64_t emptyCells = 0;      // cells with no tile, read as chip -1 (no chip)
    std::vector<std::string> notices; // remarks that did not stop the import
    std::vector<std::string> inputs;  // every file read, absolute
};

// path: the map file (bytes). A refusal says why but does not name the map file (the caller
// does); it names any other file concerned.
Result<TiledImport> importTiledMap(const std::string& path, const TiledImportOptions& options);

} // namespace tilora::tiled
