#pragma once
// What the commands share: reading a map file, finding and loading its chip sheet, writing an
// output file only when all of it is ready (or to standard output for "-"), and the one-line
// messages on failure. Paths are the bytes the command line gave, passed to the system as they
// are.

#include "core/Bitmap.h"
#include "core/MapFile.h"
#include "core/Result.h"

#include <sys/types.h>

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tilora::cli {

struct CliPath {
    std::string bytes;
    static CliPath fromArgument(const char* arg) { return CliPath{arg}; }
    bool isStandardOutput() const { return bytes == "-"; }
};

// "<path>: <message>", so that a pipeline log says which file a failure is about; a path longer
// than a message shows is shortened in the middle.
Error fileError(const CliPath& path, const std::string& message);

// Reads and checks a map file; the message names the file.
Result<MapContents> loadMapFile(const CliPath& path);

// Reads and checks a map file as loadMapFile does, handing out its rows as they are read instead
// of keeping them (core's scanMapFile).
Result<MapFileHeader> scanMapFile(const CliPath& path,
                                  const std::function<void(const MapFileHeader&)>& onHeader,
                                  const std::function<void(const std::int32_t*, int)>& onRow);

struct LoadedSheet {
    std::string path;                     // absolute path of the file found (bytes)
    std::shared_ptr<const Bitmap> bitmap; // its pixels
};

// The map's chip sheet as the editor finds it (the path as written, then beside the map): the
// absolute path of the file found. Where it is not found, `fallback` (the --sheet option) when
// given, as the editor offers to choose another sheet.
Result<std::string> findMapSheet(const MapContents& map, const CliPath& mapPath,
                                 const CliPath* fallback);

// Finds the map's chip sheet (findMapSheet) and loads it with the one sheet rule of the core, so
// a sheet the editor refuses is refused here too. The last sheet loaded is kept while its file
// stays the same (same file, size and time), so a batch of maps on one sheet decodes it once.
Result<LoadedSheet> loadMapSheet(const MapContents& map, const CliPath& mapPath,
                                 const CliPath* fallback = nullptr);

// Files a command reads. An output that is one of them, under any name (the same device and
// inode: the path itself, a symbolic or hard link to it), would replace that input when written,
// so it is refused before anything is written.
class InputFiles {
  public:
    // A path that does not name an existing file is left out: nothing can be written over it.
    void add(const std::string& path);
    // "<output>: ..." naming the input the output would replace; Ok when it replaces none.
    Status checkOutput(const CliPath& output) const;

  private:
    struct Entry {
        dev_t device;
        ino_t inode;
        std::string path;
    };
    std::vector<Entry> entries_;
};

// Writes the whole output through the core's safe save (a failure leaves no file, an existing
// one untouched), or to `out` when the path is "-".
Status writeOutput(const CliPath& path, std::string_view bytes, std::ostream& out);
Status writeOutput(const CliPath& path, const std::function<std::string_view()>& nextPiece,
                   std::ostream& out);

} // namespace tilora::cli
