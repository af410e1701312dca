#pragma once
// Whole-file reading and the safe save, shared by the editor and the command-line tool. Every
// failure comes back as a message for the user that carries the system's reason.

#include "Result.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tilora {

// A file's bytes as read: a view of storage shared by every copy of the value, so passing it on
// copies nothing.
class FileBytes {
  public:
    FileBytes() = default;
    FileBytes(std::shared_ptr<const char> data, std::size_t size)
        : data_(std::move(data)), size_(size) {}
    // Bytes made in memory (a file unpacked, say), kept as the storage.
    explicit FileBytes(std::string bytes);

    std::string_view view() const { return {data_.get(), size_}; }
    operator std::string_view() const { return view(); }
    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

  private:
    std::shared_ptr<const char> data_;
    std::size_t size_ = 0;
};

// The one whole-file reader of both programs. It opens without blocking and reads only a regular
// file: a pipe, a device or a socket is refused and nothing waits on it, a folder is refused as
// such, a missing file is named so, and a file larger than maxBytes is refused (also one that
// grew past it while being read). A large file is read into pages made present at once.
Result<FileBytes> readWholeFile(const std::string& path, std::size_t maxBytes = 64u << 20);

// The first `count` bytes of a regular file (all of a shorter one), opened and refused as
// readWholeFile opens and refuses a file.
Result<FileBytes> readFileHead(const std::string& path, std::size_t count);

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
