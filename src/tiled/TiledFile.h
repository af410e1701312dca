#pragma once
// Reading one of Tiled's files (a map or an external tileset): the whole file, unpacked when it
// is gzip-compressed, and told apart by its first character: '<' is TMX/TSX, '{' is JSON. The
// file name's suffix does not matter, so a .tmx.gz, a .json or a renamed file all read.

#include "core/FileIO.h"
#include "core/Result.h"
#include "tiled/TiledMap.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tilora::tiled {

// Largest file read, and largest a compressed one may unpack to.
inline constexpr std::size_t MaxTiledFileBytes = 64u << 20;

struct TiledDocument {
    FileBytes bytes;
    TiledFormat format = TiledFormat::Tmx;
};

// The refusal says what went wrong but not the file: callers name it.
Result<TiledDocument> readTiledFile(const std::string& path);

// The folder of a file, absolute, as bytes.
std::string folderOf(const std::string& path);

// path relative to folder (or absolute already), normalised.
std::string joinPath(const std::string& folder, std::string_view path);

// A colour as Tiled writes it ("ff00ff" or "#ff00ff"; "#aarrggbb" takes the last six digits), as
// an opaque pixel; nothing when it is not one.
std::optional<Pixel> parseTiledColour(std::string_view text);

// The map header both readers check before reading any layer: orthogonal, finite, and 1..1000
// cells each way (so a layer's tile count is bounded before it is allocated).
Status checkMapHeader(TiledFormat format, std::string_view orientation, bool infinite,
                      std::int64_t width, std::int64_t height);

} // namespace tilora::tiled
