#pragma once
// The sheet search of core/SheetLocator for the editor's Qt strings: the found file both as the
// exact bytes to open and as text to show.

#include "core/SheetLocator.h"

#include <QString>

#include <optional>
#include <string>

namespace tilora {

struct SheetSearchResult {
    QString path;      // the file found, as text (empty when none); may be lossy, for display
    QString lookedFor; // the path as written, decoded for display, for the error message
    std::string bytes; // the file found, exactly as the system names it: open this one
    bool found() const { return !bytes.empty(); }
};

SheetSearchResult findSheet(const std::string& sheetPathAsWritten, const QString& mapFilePath);
SheetSearchResult findSheet(const std::string& sheetPathAsWritten,
                            const std::string& mapFilePathBytes);

// The text of a path as written in a map file: UTF-8 when the bytes are valid UTF-8, otherwise
// Shift-JIS (code page 932). Nothing when they are neither.
std::optional<QString> decodeSheetPath(const std::string& bytes);

// The bytes to keep in SheetFileName for a path found on this machine (UTF-8).
std::string sheetPathBytes(const QString& path);

} // namespace tilora
