#pragma once
// Finding a map's chip sheet on this machine. A map file names its sheet by the path it had
// where it was saved, often another machine (a Windows drive path in Shift-JIS). When that path
// does not lead to a file here, the sheet is looked for, in this order:
//   1. the path as written (an absolute path of this system, in UTF-8);
//   2. if its bytes are not valid UTF-8, the path decoded from Shift-JIS (code page 932);
//   3. relative to the map file's folder (a relative path, '\' read as a separator);
//   4. by its last path component (split at '\' or '/') in the map file's folder, letter case
//      ignored.
// A relative path is never resolved against the working directory, which for an editor started
// from a menu is an accident.

#include <QString>

#include <optional>
#include <string>

namespace tilora {

struct SheetSearchResult {
    QString path;      // the file found (empty when none)
    QString lookedFor; // the path as written, decoded for display, for the error message
    bool found() const { return !path.isEmpty(); }
};

SheetSearchResult findSheet(const std::string& sheetPathAsWritten, const QString& mapFilePath);

// The text of a path as written in a map file: UTF-8 when the bytes are valid UTF-8, otherwise
// Shift-JIS (code page 932). Nothing when they are neither.
std::optional<QString> decodeSheetPath(const std::string& bytes);

// The bytes to keep in SheetFileName for a path found on this machine (UTF-8).
std::string sheetPathBytes(const QString& path);

} // namespace tilora
