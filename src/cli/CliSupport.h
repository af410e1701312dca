#pragma once
// What the commands share: reading a map file, finding and loading its chip sheet, writing an
// output file only when all of it is ready, and the one-line messages on failure.

#include "core/Bitmap.h"
#include "core/MapFile.h"
#include "core/Result.h"

#include <QString>

#include <functional>
#include <string>
#include <string_view>

namespace tilora::cli {

// A path as the command line gave it: the bytes for the file calls and the text for Qt.
struct CliPath {
    std::string bytes;
    QString text;
    static CliPath fromArgument(const char* arg);
};

// "<path>: <message>", so that a pipeline log says which file a failure is about.
Error fileError(const CliPath& path, const std::string& message);

// Reads and checks a map file; the message names the file.
Result<MapContents> loadMapFile(const CliPath& path);

struct LoadedSheet {
    QString path;  // absolute path of the file found
    Bitmap bitmap; // its pixels
    int columns() const { return bitmap.width() / 32; }
    int rows() const { return bitmap.height() / 32; }
};

// Finds the map's chip sheet as the editor does (the path as written, then beside the map) and
// loads it. A sheet narrower or lower than one chip is refused: it has no chips to draw from.
Result<LoadedSheet> loadMapSheet(const MapContents& map, const CliPath& mapPath);

// Writes the whole output through a temporary file renamed over the target, so a failure
// leaves no file (and an existing one untouched).
Status writeOutput(const CliPath& path, std::string_view bytes);
Status writeOutput(const CliPath& path, const std::function<std::string_view()>& nextPiece);

} // namespace tilora::cli
