#pragma once
// Whole-file reading and the safe save, shared by the editor and the command-line tool. Every
// failure comes back as a message for the user that carries the system's reason.

#include "Result.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tilora {

// Reads a whole file; refuses files larger than maxBytes.
Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes = 64u << 20);

// Writes bytes to a temporary file beside path, checking every write, flushes it to disk and
// renames it over path only when all went well. On failure the target is untouched, the
// temporary file is removed and the error carries the system's reason.
Status saveFileAtomically(const std::string& path, std::string_view bytes);

// The same for output produced piece by piece (a large image need not exist in memory whole):
// nextPiece is called until it returns an empty view.
Status saveFileAtomically(const std::string& path,
                          const std::function<std::string_view()>& nextPiece);

} // namespace tilora
