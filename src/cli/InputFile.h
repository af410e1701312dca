#pragma once
// Reading the files a command takes in (maps, TMX documents, external tilesets, the head of a
// tileset image) so that none can hang the tool: every file is opened without blocking and
// refused unless it is a regular file, so a FIFO or a device named as input is an error, not a
// wait.

#include "core/Result.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tilora::cli {

struct InputFile {
    bool missing = false;   // no such file (the caller decides whether that is an error)
    std::string_view bytes; // the whole file, or its first bytes for a head read
    std::shared_ptr<const void> storage; // what `bytes` points into
};

// The whole file, refused beyond maxBytes.
Result<InputFile> readInputFile(const std::string& path, std::size_t maxBytes = 64u << 20);

// The first `count` bytes at most.
Result<InputFile> readInputHead(const std::string& path, std::size_t count);

} // namespace tilora::cli
