#pragma once
// A Tiled map opened in the editor: the import tilora-cli makes (TiledImport: tiles enlarged to
// 32 pixels, the tile layer the user picks or all stacked), turned into what the editor's load
// takes from the load pipeline (core/MapLoad), so that the editor shows it as it shows a map file.

#include "core/MapLoad.h"
#include "tiled/TiledImport.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tilora::tiled {

// Whether a file's first bytes are one of Tiled's documents rather than a map file: a gzip
// stream, or '<' (TMX) or '{' (JSON) as the first character after an optional byte-order mark
// and blanks, as the Tiled reader tells them.
bool looksLikeTiledDocument(std::string_view head);

struct TiledOpen {
    LoadedMap map;
    std::vector<std::string> notices; // what the import did that the user should know
};

// The Tiled map at `path` as a map with no file of its own, counted as modified: its sheet is the
// tileset's image where it serves as it is (named by its absolute path, under the one sheet rule)
// or a picture made for it, to be written beside the map at the first save. A map of several tile
// layers asks `chooseLayer` which to take (see TiledImportOptions); when the user stops there the
// result is nothing. A refusal says why at stage Parse (the import) or LoadSheet (the tileset's
// image); it does not name the map. Its notices name no tilora-cli option.
Result<std::optional<TiledOpen>, LoadRefusal> openTiledMap(const std::string& path,
                                                           const LayerChooser& chooseLayer);

} // namespace tilora::tiled
