#pragma once
// Finding a map's chip sheet on this machine. A map file names its sheet by the full path it had
// where it was saved; when that path does not exist here the sheet is looked for, in order:
// the path as written; if its bytes are not valid UTF-8, the path decoded from Shift-JIS (code
// page 932); relative to the map file's folder; by its last path component (split at '\' or '/')
// in the map file's folder, letter case ignored.

#include <QString>

#include <optional>
#include <string>

namespace tilora {

struct SheetSearchResult {
    QString path;        // the file found (empty when none)
    QString lookedFor;   // the path as written, decoded for display, for the error message
    bool found() const { return !path.isEmpty(); }
};

SheetSearchResult findSheet(const std::string& sheetPathAsWritten, const QString& mapFilePath);

// The bytes to keep in SheetFileName for a path found on this machine (UTF-8).
std::string sheetPathBytes(const QString& path);

}  // namespace tilora
