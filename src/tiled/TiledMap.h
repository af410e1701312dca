#pragma once
// A Tiled map as its two readers (TMX and JSON) hand it over: what the import needs and nothing
// else, before any check of whether the map file can hold it. Paths are absolute, as bytes.

#include "core/Bitmap.h"
#include "core/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tilora::tiled {

using TileIds = std::vector<std::uint32_t>;

// Which of Tiled's formats a document is in; its messages name it.
enum class TiledFormat { Tmx, Json };

// "Cannot read the TMX file: " or "Cannot read the JSON file: " followed by what is wrong, in
// the user's language; the second form says that what the text names is not supported.
Error tiledRefusal(TiledFormat format, const std::string& what);
Error tiledUnsupported(TiledFormat format, const std::string& what);

struct TiledImage {
    std::string path;                 // absolute
    std::int64_t width = -1;          // as declared; -1 when not given
    std::int64_t height = -1;         //
    std::optional<Pixel> transparent; // the colour drawn as transparent ("trans"), opaque
};

struct TiledTileset {
    std::uint32_t firstGid = 1;
    std::string source; // an external tileset's file, not read yet; empty for one in the map
    std::string name;
    std::int64_t tileWidth = 0;
    std::int64_t tileHeight = 0;
    std::int64_t spacing = 0;
    std::int64_t margin = 0;
    std::optional<std::int64_t> columns;
    std::optional<std::int64_t> tileCount;
    std::optional<TiledImage> image; // none: a collection of separate images
};

enum class LayerKind { Tile, Object, Image };

// Layers inside groups are listed in drawing order with the groups' settings folded in.
struct TiledLayer {
    LayerKind kind = LayerKind::Tile;
    std::string name;    // inside groups: "group/name"
    bool visible = true; // and every group around it
    double opacity = 1;  // times every group's
    bool offset = false; // it or a group around it is drawn shifted
    TileIds ids;         // tile layers: width x height global tile ids, row by row
};

struct TiledMap {
    TiledFormat format = TiledFormat::Tmx;
    std::int64_t width = 0;  // 1..1000, checked by the readers before any layer is read
    std::int64_t height = 0; //
    std::int64_t tileWidth = 0;
    std::int64_t tileHeight = 0;
    std::vector<TiledTileset> tilesets; // as listed; firstGid rises
    std::vector<TiledLayer> layers;     // bottom first
    std::vector<std::string> notices;   // remarks of the readers that did not stop them
};

} // namespace tilora::tiled
