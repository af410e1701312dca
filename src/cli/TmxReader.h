#pragma once
// Reading a Tiled TMX map back into a map: orthogonal maps of 32 x 32 tiles with one tile layer
// and one tileset cut from a single image. Everything else is refused with a message that says
// which feature is not supported.

#include "core/MapFile.h"
#include "core/Result.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace tilora::cli {

struct TmxImport {
    MapContents map;             // sheetPath: the tileset image's absolute path, UTF-8
    std::int64_t emptyCells = 0; // tiles with global id 0, read as chip -1 (no chip)
};

// bytes: the TMX document; baseDir: its folder, against which the tileset image and an external
// tileset (.tsx) are resolved.
Result<TmxImport> parseTmx(const QByteArray& bytes, const QString& baseDir);

} // namespace tilora::cli
