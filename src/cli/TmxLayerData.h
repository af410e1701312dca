#pragma once
// The tile data of a TMX layer: CSV text, or base64 of little-endian 32-bit global tile ids,
// stored plain or compressed with zlib or gzip. Each decoder yields exactly `expected` ids or
// says what is wrong.

#include "core/Result.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tilora::cli {

using TileIds = std::vector<std::uint32_t>;

Result<TileIds> decodeCsvTiles(std::string_view text, std::size_t expected);

// compression: empty, "zlib" or "gzip". A compressed stream must end exactly where the data
// ends: bytes after it are refused.
Result<TileIds> decodeBase64Tiles(std::string_view text, std::string_view compression,
                                  std::size_t expected);

} // namespace tilora::cli
