#pragma once
// The checks a chosen chip sheet has to pass before anything about the current sheet changes.

#include "core/Bitmap.h"

#include <QString>

#include <optional>

namespace tilora {

// The name test of the sheet chooser: ".BMP" or ".PNG" anywhere in the name, ASCII letters
// compared without regard to case ("set.bmp/a.txt" and "a.png.txt" pass; the load decides then).
bool hasBitmapMark(const QString& name);

// Why a path cannot serve as a map's chip sheet, or nothing. The map file stores the path as one
// comma-terminated field on its own line, so a comma, CR or LF in it could never be read back.
std::optional<QString> sheetPathProblem(const QString& path);

// Why a loaded bitmap cannot serve as a chip sheet, or nothing. Every chip lookup divides by the
// number of 32-pixel columns, so the sheet must be at least one chip wide.
std::optional<QString> sheetSizeProblem(const Bitmap& sheet);

} // namespace tilora
