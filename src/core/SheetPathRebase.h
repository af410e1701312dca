#pragma once
// The chip sheet path a map records in its line 1 when it is saved somewhere, so that a map saved
// anywhere opens again on this machine with the same sheet. A map names its sheet as it was
// written, byte for byte (an absolute path, a Windows drive or network path, or a path relative
// to the map's own folder); the search that finds it (core/SheetLocator) also looks beside the
// map by name. Line 1 changes only where that search would no longer lead to the sheet in use.

#include <string>
#include <string_view>

namespace tilora {

// The line 1 to record when a map whose line 1 reads `written` is saved as the file `mapFile`.
// `sheetFile` is the sheet in use on this machine (the file found or chosen; empty when unknown).
// - `written`, byte for byte, whenever the usual sheet search from mapFile's folder finds
//   `sheetFile` by it;
// - else the path of `sheetFile` relative to mapFile's folder, when the search finds the sheet by
//   it (a folder reached through a symbolic link may not lead back by "..");
// - else `sheetFile` itself, absolute.
// `written` is kept when the sheet is unknown or is not where it was, and when no path to it can
// be stored in a map file (longer than its limit, or holding a comma, CR or LF).
std::string sheetPathForMap(std::string_view written, std::string_view sheetFile,
                            std::string_view mapFile);

} // namespace tilora
