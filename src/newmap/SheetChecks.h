#pragma once
// The checks a chosen chip sheet has to pass before anything about the current sheet changes,
// and the chooser that runs them.

#include "core/Bitmap.h"

#include <QString>

#include <optional>

class QWidget;

namespace tilora {

class NewMapPort;

// The name test of the sheet chooser: ".BMP" or ".PNG" anywhere in the name, ASCII letters
// compared without regard to case ("set.bmp/a.txt" and "a.png.txt" pass; the load decides then).
bool hasBitmapMark(const QString& name);

// Why a path cannot serve as a map's chip sheet, or nothing. The map file stores the path as one
// comma-terminated field on its own line, so a comma, CR or LF in it could never be read back.
std::optional<QString> sheetPathProblem(const QString& path);

struct ChosenSheet {
    QString name; // the file as the dialog gave it
    Bitmap sheet; // its picture, within the sheet rule
};

// The sheet chooser: the shared open dialog set for chip sheets, the name test, the path check
// and the load with the one sheet rule (core/SheetImage), each refusal told to the user in a box
// owned by `owner`. The chosen sheet, or nothing when the dialog was cancelled or the sheet
// refused. Nothing about the current sheet changes here.
std::optional<ChosenSheet> chooseSheetFile(NewMapPort& app, QWidget* owner);

} // namespace tilora
