#pragma once
// The tile data of a Tiled layer: CSV text (TMX), or base64 of little-endian 32-bit global tile
// ids (TMX and JSON), stored plain or compressed with zlib or gzip. Each decoder yields exactly
// `expected` ids or says what is wrong; the caller puts the format's lead in front.

#include "core/Result.h"
#include "tiled/TiledMap.h"

#include <cstdint>
#include <string_view>

namespace tilora::tiled {

Result<TileIds> decodeCsvTiles(std::string_view text, std::size_t expected);

// compression: empty, "zlib" or "gzip". A compressed stream must end exactly where the data
// ends: bytes after it are refused.
Result<TileIds> decodeBase64Tiles(std::string_view text, std::string_view compression,
                                  std::size_t expected);

} // namespace tilora::tiled
