#pragma once
// The tile data of a TMX layer: CSV text, or base64 of little-endian 32-bit global tile ids,
// stored plain or compressed with zlib or gzip. Each decoder yields exactly `expected` ids or
// says what is wrong.

#include "core/Result.h"

#include <QStringView>

#include <cstdint>
#include <vector>

namespace tilora::cli {

using TileIds = std::vector<std::uint32_t>;

Result<TileIds> decodeCsvTiles(QStringView text, std::size_t expected);

// compression: empty, "zlib" or "gzip".
Result<TileIds> decodeBase64Tiles(QStringView text, QStringView compression, std::size_t expected);

} // namespace tilora::cli
