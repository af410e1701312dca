#pragma once
// Finding a map's chip sheet on this machine, with paths as bytes from the map file to the
// system calls. A map file names its sheet by the path it had where it was saved, often another
// machine (a Windows drive path in Shift-JIS). The sheet is looked for in this order:
//   1. the path as written, when it is an absolute path of this system;
//   2. relative to the map file's folder (a relative path, '\' read as a separator);
//   3. by its last path component (split at '\' or '/') among the regular files of the map
//      file's folder, letter case ignored, an exact match first.
// Each step tries the field as text first (UTF-8 when it is valid UTF-8, else decoded from
// Shift-JIS, code page 932) and then, when the field is not UTF-8, as the raw bytes it is, so a
// folder unpacked with Shift-JIS names or a file named in Latin-1 is found too. Only regular
// files count: a folder, a FIFO or a device never stands in for a sheet. A relative path is
// never resolved against the working directory, which for an editor started from a menu is an
// accident.

#include <optional>
#include <string>
#include <string_view>

namespace tilora {

struct SheetLocation {
    std::string path;      // bytes of the file found, absolute and without "." or ".."; or empty
    std::string lookedFor; // the field as written, as UTF-8 text for messages
    bool found() const { return !path.empty(); }
};

// mapFilePath: the map file's path as bytes (relative to the working directory or absolute).
SheetLocation locateSheet(std::string_view written, std::string_view mapFilePath);

// The field as UTF-8 text: itself when valid UTF-8, else decoded from code page 932. Nothing
// when it is neither.
std::optional<std::string> decodeSheetPathText(std::string_view bytes);

// A name fit to show: decodeSheetPathText, or the bytes with every invalid one shown as U+FFFD.
std::string displayPathText(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

} // namespace tilora
