#pragma once
// A map as a Tiled document, TMX or JSON: orthogonal, 32 x 32 tiles, one tileset whose image is
// the chip sheet, one tile layer (CSV in TMX, an array of numbers in JSON). Global tile id =
// chip + 1; a chip the sheet does not have (below 0 or past its last chip) becomes 0, the empty
// tile.

#include "core/MapFile.h"
#include "core/PageMemory.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tilora::cli {

struct TmxTileset {
    std::string name;        // UTF-8
    std::string imageSource; // UTF-8, relative to the TMX file's folder
    int imageWidth = 0;      // pixels; the tileset has imageWidth / 32 columns
    int imageHeight = 0;
    int columns() const { return imageWidth / 32; }
    int tileCount() const { return columns() * (imageHeight / 32); }
};

// Which of Tiled's formats an export writes: JSON for a name ending in .tmj or .json (letter
// case ignored), TMX otherwise.
enum class TiledOutput { Tmx, Tmj };
TiledOutput tiledOutputFor(std::string_view path);

// A Tiled document, TMX or JSON.
class TmxDocument {
  public:
    std::string_view xml() const { return {data_.data(), size_}; }
    std::int64_t emptiedCells() const { return emptied_; } // chips written as 0

  private:
    friend TmxDocument formatTmx(const MapContents&, const TmxTileset&);
    friend TmxDocument formatTmj(const MapContents&, const TmxTileset&);
    // Sized for the longest possible document and never cleared: only the pages written are
    // ever touched, which matters for a 1000 x 1000 map (and they are large pages).
    PageBuffer data_;
    std::size_t size_ = 0;
    std::int64_t emptied_ = 0;
};

// Whether text can stand in an XML attribute (no control characters but tab).
bool isXmlAttributeText(std::string_view text);

// The tileset's texts must pass isXmlAttributeText.
TmxDocument formatTmx(const MapContents& map, const TmxTileset& tileset);
TmxDocument formatTmj(const MapContents& map, const TmxTileset& tileset);

// The cells' global ids, rows separated by ",\n" (Tiled's CSV, also the body of a JSON array),
// at p, which has room for 11 bytes a cell and one a row, and 8 bytes more; returns the end.
// emptied counts the chips written as 0.
char* writeGidRows(char* p, const MapContents& map, int tileCount, std::int64_t& emptied);

} // namespace tilora::cli
