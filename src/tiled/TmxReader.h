#pragma once
// Reading Tiled's TMX maps and TSX tilesets into a TiledMap: every layer (groups unfolded),
// every tileset (an external one only named, read when the import needs it), the tile data in
// any of TMX's encodings. What the map file cannot hold is decided by the import, not here;
// only a header the import could never take (not orthogonal, infinite, more than 1000 cells a
// side) stops the reader before it reads a layer.
//
// The XML is read by a streaming parser that loads nothing from outside the document: a
// document that declares entities is refused outright (so no expansion can grow without bound),
// elements nest at most MaxTmxDepth deep, and anything after the root element but blanks,
// comments and processing instructions is refused.

#include "core/Result.h"
#include "tiled/TiledMap.h"

#include <string>
#include <string_view>

namespace tilora::tiled {

inline constexpr int MaxTmxDepth = 64;

// bytes: the TMX document; baseDir: its folder (bytes), against which tileset images and
// external tilesets are resolved.
Result<TiledMap> parseTmx(std::string_view bytes, const std::string& baseDir);

// An external tileset file (.tsx); its image is resolved against baseDir, the file's folder.
// fileName names it in messages.
Result<TiledTileset> parseTsx(std::string_view bytes, const std::string& baseDir,
                              const std::string& fileName);

} // namespace tilora::tiled
