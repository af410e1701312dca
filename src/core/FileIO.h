#pragma once
// Whole-file reading and the safe save, shared by the editor and the command-line tool. Every
// failure comes back as a message for the user that carries the system's reason.

#include "Result.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tilora {

// Reads a whole regular file; refuses files larger than maxBytes. Anything else (a pipe, a
// device, a folder) is refused with a message naming the file, and nothing waits on it: the open
// does not block.
Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes = 64u << 20);

// The first `count` bytes of a regular file (all of a shorter one), opened and refused as
// readWholeFile opens and refuses a file.
Result<std::string> readFileHead(const std::string& path, std::size_t count);

// What a save does with a target that exists and is neither a regular file nor a folder.
enum class SpecialTargets {
    // A device such as /dev/null or /dev/stdout, or a named pipe, is opened for writing and
    // written into directly, as a shell redirection does; a pipe waits for a reader. For a
    // command-line tool, whose output may go anywhere.
    WriteInto,
    // Refused with a message naming what the target is (a pipe, a device, a socket): an editor
    // saving a document must neither wait on a pipe nor count bytes sent into one as saved.
    Refuse,
};

// Saves bytes at path without ever leaving it damaged or changing what kind of thing it is.
// - A regular file, a new file, or one reached through symbolic links (a dangling link gets its
//   target created): the bytes go to a temporary file beside the target, every write checked,
//   flushed to disk and renamed over the target only when all went well. An existing file keeps
//   its mode, and its owner and group where the system allows. A file the user may not write
//   is refused.
// - An existing file that cannot be replaced by a rename, because it has several hard links
//   (the others would keep the old map) or its folder may not be written (the file may): the new
//   bytes are written over the old ones, which are kept in memory first, flushed to disk; if
//   anything fails, the old bytes are written back and the failure is reported.
// - Something else that exists: as `special` says. A folder is always refused.
// On failure the target holds what it held, the temporary file is removed and the error carries
// the system's reason. A file-size limit shows as such an error: SIGXFSZ is ignored from the
// first save on (unless the program handles it).
Status saveFileAtomically(const std::string& path, std::string_view bytes,
                          SpecialTargets special = SpecialTargets::WriteInto);

// The same for output produced piece by piece (a large image need not exist in memory whole):
// nextPiece is called until it returns an empty view.
Status saveFileAtomically(const std::string& path,
                          const std::function<std::string_view()>& nextPiece,
                          SpecialTargets special = SpecialTargets::WriteInto);

// Told the path of each temporary file a save creates, just before it is created, and nullptr once
// it is gone (renamed into place or removed), so that a program ended by a signal half-way through
// a long save can remove it. Called on the saving thread; nullptr (the default) tells no one.
using TemporaryFileWatcher = void (*)(const char* path);
void setTemporaryFileWatcher(TemporaryFileWatcher watcher);

} // namespace tilora
