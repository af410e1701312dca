#pragma once
// Whole gzip files (Tiled's .tmx.gz, .tmj.gz and compressed tilesets), as gzip(1) writes them:
// one member or several one after another.

#include "core/Result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tilora::tiled {

// Whether the bytes start with gzip's magic number.
bool isGzip(std::string_view bytes);

// The uncompressed bytes, refused beyond maxBytes (a small file can unpack to a huge one), when
// a member is damaged or cut short, or when anything but another member follows one.
Result<std::string> gunzip(std::string_view bytes, std::size_t maxBytes);

} // namespace tilora::tiled
