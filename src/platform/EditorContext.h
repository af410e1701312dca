#pragma once
// What a window may use of the rest of the editor: the shared state, the host services, the chip
// sheet, and named operations that reach the other windows. The application object implements
// it; a window holds only this, so no window needs another window's header.

#include "core/Bitmap.h"
#include "core/ChipRenderer.h"
#include "core/EditorState.h"
#include "core/Geometry.h"
#include "core/SaveQuestion.h"
#include "core/UndoHistory.h"
#include "core/ViewSize.h"
#include "platform/Dialogs.h"
#include "platform/ScreenMetrics.h"
#include "platform/UiText.h"

#include <QString>

#include <cstdint>

class QWidget;

namespace tilora {

struct ChipWindowLayout;
struct MapViewLayout;

inline const QString ApplicationTitle = QStringLiteral("Tilora ForWIndows");
// The caption of the boxes that refuse a file name, a sheet or a save.
inline const UiText CautionCaption{QT_TRANSLATE_NOOP("tilora", "注意")};

class EditorContext {
  public:
    EditorContext(Dialogs& d, ScreenMetrics screen) : dialogs(d), Screen(screen) {}
    virtual ~EditorContext() = default;
    EditorContext(const EditorContext&) = delete;
    EditorContext& operator=(const EditorContext&) = delete;

    EditorState State;
    Dialogs& dialogs;
    ScreenMetrics Screen;
    // Draws map cells from the chip sheet.
    ChipRenderer Renderer;
    // The map's undo steps: painting records into it, new map and load clear it, save marks it.
    UndoHistory History;

    // The chip sheet: document data; every chip drawn anywhere is copied from it.
    virtual const Bitmap& sheet() const = 0;
    // Takes a newly loaded sheet: the renderer draws from it and the palette shows it. A current
    // chip the new sheet does not have becomes chip 0.
    virtual void setSheet(Bitmap sheet) = 0;

    // The one way the current chip changes (palette, map and stamp picks, a new sheet): a chip
    // the sheet does not have is refused and the current one stays. True when `chip` is current
    // now.
    bool chooseChip(std::int32_t chip) {
        const Bitmap& s = sheet();
        State.CurrentChip = guardedChip(chip, State.CurrentChip, chipCount(s.width(), s.height()));
        return State.CurrentChip == chip;
    }

    // A sheet chosen in the new-map dialog is only tried until the dialog confirms: the palette
    // and the renderer show it, while the map still names the sheet in use. The first sheet tried
    // in an opening of the dialog puts the one in use aside with the current chip. The palette's
    // commands are offered from here on.
    virtual void trySheet(Bitmap sheet, const QString& path) = 0;
    // "決定": the sheet tried last becomes the map's sheet (SheetFileName and where it was found).
    virtual void acceptTriedSheet() = 0;
    // The dialog abandoned: the sheet put aside is in use again, with the current chip it had, and
    // the palette's commands are taken back.
    virtual void putBackSheet() = 0;

    // The shared file dialogs: the open dialog serves the map load and the sheet chooser; the
    // save dialog's FileName is the current map's file name.
    virtual FileDialog& openDialog() = 0;
    virtual FileDialog& saveDialog() = 0;

    // The full refresh of the map view, and the palette sized for the sheet and shown.
    virtual void refreshMapView() = 0;
    virtual void layoutChipWindow() = 0;
    // The unsaved-changes question; true when the user's answer stops the command.
    virtual bool askToSave(AskMode mode) = 0;
    // Back to the state without a map: the map windows hidden, the new-map dialog shown, every
    // map command disabled.
    virtual void enterNoMapState() = 0;
    // A map is on screen (the full refresh): the commands it makes available.
    virtual void enableMapCommands() = 0;
    // Something the commands' states follow has changed (the undo history, an armed tool): the
    // main window applies them anew.
    virtual void commandsChanged() = 0;
    // Whether a map is on screen: from the first full refresh until the new-map command.
    virtual bool mapShown() const = 0;
    // A window shown or hidden together with its check mark in the view menu.
    virtual void setChipWindowShown(bool shown) = 0;
    virtual void setMapWindowShown(bool shown) = 0;
    virtual void setNewMapDialogShown(bool shown) = 0;
    // The map window, the palette and the main window placed side by side under the toolbar.
    virtual void arrangeWindows() = 0;
    // Mirrors a calculated layout into the palette and the map window.
    virtual void fitChipWindow(const ChipWindowLayout& layout) = 0;
    virtual void fitMapWindow(const MapViewLayout& layout) = 0;
    // The palette's frame back on chip 0 and shown.
    virtual void resetChipFrame() = 0;
    // The new-map dialog's initial-chip preview shows the chip at sheet pixel (left, top).
    virtual void showChipPreview(int left, int top) = 0;
    // The stamp bank the stamp editor has chosen.
    virtual int currentStampBank() const = 0;
    // The map view's size (the room its window gives it).
    virtual ViewSize mapViewSize() const = 0;
    // The map view has shown what changed (cells written, the origin or the zoom moved): the
    // views that follow the map (the overview) catch up.
    virtual void followMap() = 0;
};

// Shows an error raised inside a handler (an unreadable bitmap, a failed save) in a box captioned
// with the application title.
inline void showError(EditorContext& app, QWidget* owner, const QString& message) {
    app.dialogs.messageBox(owner, message, ApplicationTitle, MessageButtons::Ok);
}

} // namespace tilora
