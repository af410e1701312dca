#pragma once
// What the new-map dialog and its sheet chooser use of the rest of the editor: the state, the
// undo history, the message boxes, the sheet, and the operations that reach other windows. The
// application object carries it out.

#include "core/Bitmap.h"
#include "core/EditorState.h"
#include "platform/Dialogs.h"

#include <QString>

#include <cstdint>

namespace tilora {

class NewMapPort {
  public:
    NewMapPort(EditorState& state, Dialogs& d) : State(state), dialogs(d) {}
    virtual ~NewMapPort() = default;
    NewMapPort(const NewMapPort&) = delete;
    NewMapPort& operator=(const NewMapPort&) = delete;
    NewMapPort(NewMapPort&&) = delete;
    NewMapPort& operator=(NewMapPort&&) = delete;

    EditorState& State;
    Dialogs& dialogs;

    // The chip sheet in use, or the one tried.
    virtual const Bitmap& sheet() const = 0;
    // The one way the current chip changes; true when `chip` is current now.
    virtual bool chooseChip(std::int32_t chip) = 0;
    // A sheet chosen in the dialog is only tried until the dialog confirms: the palette and the
    // renderer show it, while the map still names the sheet in use. The first sheet tried in an
    // opening of the dialog puts the one in use aside with the current chip. The palette's
    // commands and the confirm button are offered from here on.
    virtual void trySheet(Bitmap sheet, const QString& path) = 0;
    // "決定": the sheet tried last becomes the map's sheet (SheetFileName and where it was found).
    virtual void acceptTriedSheet() = 0;
    // The dialog abandoned: the sheet put aside is in use again, with the current chip it had, and
    // the palette's commands are taken back.
    virtual void putBackSheet() = 0;
    // The shared open dialog: it serves the map load and the sheet chooser.
    virtual FileDialog& openDialog() = 0;
    // The palette shown or hidden together with its check mark in the view menu.
    virtual void setChipWindowShown(bool shown) = 0;
    // The palette sized for the sheet and shown; its frame back on chip 0.
    virtual void layoutChipWindow() = 0;
    virtual void resetChipFrame() = 0;
    // The full refresh of the map view: the new map shown.
    virtual void refreshMapView() = 0;
};

} // namespace tilora
