#pragma once
// The chip sheet path a map records when it is saved into a folder other than the one its path
// was written for. A map names its sheet as it was written, byte for byte: an absolute path, a
// Windows drive or network path, or a path relative to the map's own folder. Only the last kind
// depends on where the map lies, so only it is rewritten, and only when the folder changes.

#include <string>
#include <string_view>

namespace tilora {

// True for "/..." and for the Windows forms "C:...", "\..." and "\\server\...": paths that do not
// depend on the folder of the map that names them.
bool isFolderIndependentPath(std::string_view path);

// The path to record for the sheet when a map whose line 1 reads `written` moves from the folder
// `fromFolder` to `toFolder`. `sheetFile` is where the sheet was found on this machine. All three
// folders and files are absolute paths of this system, '/'-separated; "." and ".." are allowed.
//
// A relative `written` becomes the path of `sheetFile` relative to `toFolder`, so the moved map
// still finds the same sheet. Everything else is kept byte for byte: an empty or
// folder-independent `written`, the same folder, an unknown `fromFolder` or `sheetFile`, and a
// rewritten path the map file could not hold (a comma, CR, LF or NUL in it).
std::string rebaseSheetPath(std::string_view written, std::string_view sheetFile,
                            std::string_view fromFolder, std::string_view toFolder);

} // namespace tilora
