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

// Why a path cannot serve as a map's chip sheet, or nothing: the map file's rule for the path it
// names (core/MapFile's sheetPathFault), told in the editor's words.
std::optional<QString> sheetPathProblem(const QString& path);

struct ChosenSheet {
    QString name; // the file as the dialog gave it
    Bitmap sheet; // its picture, within the sheet rule
};

// The sheet chooser's choice: the shared open dialog set for chip sheets, the name test and the
// path check, each refusal told to the user in a box owned by `owner`. The name chosen, or
// nothing when the dialog was cancelled or the name refused.
std::optional<QString> chooseSheetName(NewMapPort& app, QWidget* owner);

// The sheet chooser: chooseSheetName, then the load with the one sheet rule (core/SheetImage),
// its refusal told as chooseSheetName tells its own. The chosen sheet, or nothing. Nothing about
// the current sheet changes here.
std::optional<ChosenSheet> chooseSheetFile(NewMapPort& app, QWidget* owner);

} // namespace tilora
