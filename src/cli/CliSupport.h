#pragma once
// What the commands share: loading a map and its chip sheet through the core's one load
// pipeline, writing an output file only when all of it is ready (or to standard output for "-"),
// and the one-line messages on failure. Paths are the bytes the command line gave, passed to the
// system as they are.

#include "core/MapLoad.h"
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

// Loads a map as the editor loads it (core/MapLoad): the sheet line 1 names, found as the editor
// finds it, or `fallback` (the --sheet option) where it is not found, as the editor offers to
// choose another. The sheets of a run are kept in one cache, so a batch of maps on one sheet
// decodes it once. A refusal is one line: the map file's path, then why (a sheet's file names
// itself; the check's message is passed on as it is).
Result<LoadedMap> loadCliMap(const CliPath& path, SheetUse use, const CliPath* fallback = nullptr,
                             const std::function<Status(const MapContents&)>& check = {});

// The same load with only the sheet's size read and the cells counted, not kept
// (MapLoadOptions::countOnly): what describing a map needs.
Result<LoadedMap> countCliMap(const CliPath& path, const CliPath* fallback = nullptr);

// The line for a refusal of the pipeline (as loadCliMap words it).
Error loadError(const CliPath& path, const LoadRefusal& refusal);

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
