#pragma once
// Telling whether the map file or the chip sheet the editor shows changed on disk, and what the
// editor does about a changed map file.

#include "MapDocument.h"
#include "MapFile.h"
#include "Result.h"

#include <cstdint>
#include <string>

namespace tilora {

// What stat says of a file: enough to tell that it was written, replaced (a safe save renames a
// new file over it) or removed since it was last looked at.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// Follows symbolic links, as opening the file would.
FileStamp stampFile(const std::string& path);

// Whether the map rectangle of the state (sheet path, size, cells) is exactly `map`.
bool mapMatchesState(const MapContents& map, const MapDocument& state);

enum class MapOnDisk {
    Same,       // the file holds what the editor shows (the editor's own save, say): nothing to do
    Reload,     // no unsaved changes: the file's version is loaded silently
    Ask,        // unsaved changes: the user chooses between the file's version and the editor's
    Unreadable, // the file is there but not a map any more: kept, with a message, now unsaved
    Gone,       // deleted or renamed away: the map stays open, now unsaved
};

// What the editor does once its map file changed on disk. `read` is the file as read now (or
// why it could not be read); `exists` whether anything is at the path.
MapOnDisk judgeMapOnDisk(bool exists, const Result<MapContents>& read, const MapDocument& state);

} // namespace tilora
