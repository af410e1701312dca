#pragma once
// Reading a Tiled TMX map back into a map: orthogonal maps of 32 x 32 tiles with one tile layer
// and one tileset cut from a single image. Everything else is refused with a message that says
// which feature is not supported.
//
// The XML is read by a streaming parser that loads nothing from outside the document: a
// document that declares entities is refused outright (so no expansion can grow without bound),
// elements nest at most MaxTmxDepth deep, and anything after the root element but blanks,
// comments and processing instructions is refused.

#include "core/MapFile.h"
#include "core/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tilora::cli {

inline constexpr int MaxTmxDepth = 64;

struct TmxImport {
    MapContents map;                   // sheetPath: the tileset image's absolute path (bytes)
    std::int64_t emptyCells = 0;       // tiles with global id 0, read as chip -1 (no chip)
    std::vector<std::string> warnings; // remarks that did not stop the import
};

// bytes: the TMX document; baseDir: its folder (bytes), against which the tileset image and an
// external tileset (.tsx) are resolved. The tileset image's size is read from its header and
// must match the size the tileset declares; a missing image leaves the declared size trusted,
// with a warning.
Result<TmxImport> parseTmx(std::string_view bytes, const std::string& baseDir);

} // namespace tilora::cli
