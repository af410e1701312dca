#pragma once
// Reading Tiled's JSON maps (.tmj, .json) and tilesets (.tsj) into the same TiledMap the TMX
// reader gives, with the same checks. The document is read by an event parser that keeps only
// the members the import uses (objects, properties and the like are passed over unstored) and
// stores a layer's tile ids as packed 32-bit numbers, so a large map costs little more than its
// cells; nesting is limited to MaxTmxDepth and the members kept to a bounded count.

#include "core/Result.h"
#include "tiled/TiledMap.h"

#include <string>
#include <string_view>

namespace tilora::tiled {

// bytes: the JSON document; baseDir: its folder (bytes), against which tileset images and
// external tilesets are resolved.
Result<TiledMap> parseTmj(std::string_view bytes, const std::string& baseDir);

// An external JSON tileset; its image is resolved against baseDir, the file's folder. fileName
// names it in messages.
Result<TiledTileset> parseTsj(std::string_view bytes, const std::string& baseDir,
                              const std::string& fileName);

} // namespace tilora::tiled
