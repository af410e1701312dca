#pragma once
// The application object: owns the editor state, the chip sheet, the host services and the six
// windows, created in the fixed order MainWindow, TitleWindow, MapChipWindow, StartUpWindow,
// MapWindow, StampWindow, and the overview after them. Each window sees it only as the small port
// its folder declares (MapViewPort, PalettePort, NewMapPort, StampEditorPort, OverviewHost) and
// reaches the others through its named operations; there are no globals, so a test builds a fresh
// one with scripted dialogs and drives it.

#include "core/Bitmap.h"
#include "core/ChipRenderer.h"
#include "core/CommandStates.h"
#include "core/EditorState.h"
#include "core/ViewSize.h"
#include "mapview/MapViewPort.h"
#include "newmap/NewMapPort.h"
#include "overview/TOverviewWindow.h"
#include "palette/PalettePort.h"
#include "platform/Dialogs.h"
#include "platform/ScreenMetrics.h"
#include "shell/ViewPreferences.h"
#include "stamps/StampEditorPort.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tilora {

class TMainWindow;
class TTitleWindow;
class TMapChipWindow;
class TStartUpWindow;
class TMapWindow;
class TStampWindow;
class Recovery;
class FileWatch;

// What the windows share, made before the ports that refer to it.
struct EditorData {
    EditorData(Dialogs& d, ScreenMetrics screen) : dialogs(d), Screen(screen) {}

    EditorState State;
    Dialogs& dialogs;
    ScreenMetrics Screen;
    // Draws map cells from the chip sheet.
    ChipRenderer Renderer;
};

class Application final : private EditorData,
                          public MapViewPort,
                          public PalettePort,
                          public NewMapPort,
                          public StampEditorPort,
                          private OverviewHost {
  public:
    explicit Application(Dialogs& dialogs,
                         ScreenMetrics screen = ScreenMetrics::fromPrimaryScreen());
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    Application(Application&&) = delete;
    Application& operator=(Application&&) = delete;

    using EditorData::dialogs;
    using EditorData::Renderer;
    using EditorData::Screen;
    using EditorData::State;

    // Shows the main window (what the message loop's start does); recovery copies and the watch
    // on the map and sheet files start with it.
    void start();
    // The map now matches its file (saved or loaded): its recovery copy goes, and the file's
    // state on disk is the editor's own.
    void mapMatchesFile();
    // At start-up, before the first command: copies left by editors that no longer run are
    // offered back (once per run).
    void offerRecovery();

    // The chip sheet: the document's picture; every chip drawn anywhere is copied from it.
    const Bitmap& sheet() const override { return State.sheet(); }
    // Takes a newly loaded sheet as the document's picture: the renderer draws from it and the
    // palette shows it. A current chip the new sheet does not have becomes chip 0.
    void setSheet(Bitmap sheet);
    // The document's picture was replaced (a load, a restore): the renderer, the palette and the
    // overview show the new one.
    void sheetReplaced();
    // The one way the current chip changes (palette, map and stamp picks, a new sheet): a chip the
    // sheet does not have is refused and the current one stays. True when `chip` is current now.
    bool chooseChip(std::int32_t chip) override;
    void trySheet(Bitmap sheet, const QString& path) override;
    void acceptTriedSheet() override;
    void putBackSheet() override;
    FileDialog& openDialog() override;
    // The full refresh of the map view (shell/RefreshMapView), with no tool armed from before.
    void refreshMapView() override;
    // The palette sized for the sheet and shown (shell/LayoutChipWindow).
    void layoutChipWindow() override;
    // Back to the state without a map: the map windows hidden, the new-map dialog shown, every
    // map command disabled.
    void enterNoMapState();
    // A map is on screen (the full refresh): the commands it makes available.
    void enableMapCommands();
    void commandsChanged() override;
    bool mapShown() const override { return commandMemory.mapShown; }
    void setChipWindowShown(bool shown) override;
    void setMapWindowShown(bool shown) override;
    void setNewMapDialogShown(bool shown);
    // The map window, the palette and the main window placed side by side under the toolbar.
    void arrangeWindows();
    void resetChipFrame() override;
    void showChipPreview(int left, int top) override;
    int currentStampBank() const override;
    void followMap() override;

    // The view menu's remembered marks: each shows or hides its part, sets its mark and is kept
    // for the next run.
    void setOverviewShown(bool shown);
    void setGridShown(bool shown);
    void setStatusLineShown(bool shown);
    const ViewPreferences& viewPreferences() const { return prefs_; }

    // Created in this order; each is assigned before the next one's constructor runs.
    std::unique_ptr<TMainWindow> MainWindow;
    std::unique_ptr<TTitleWindow> TitleWindow;
    std::unique_ptr<TMapChipWindow> MapChipWindow;
    std::unique_ptr<TStartUpWindow> StartUpWindow;
    std::unique_ptr<TMapWindow> MapWindow;
    std::unique_ptr<TStampWindow> StampWindow;
    // Not one of the laid-out windows: shown on request, beside the palette.
    std::unique_ptr<TOverviewWindow> OverviewWindow;
    // What the commands' states remember of the commands run so far; the commands that change it
    // call commandsChanged() afterwards.
    CommandMemory commandMemory;

    // Made after the windows, gone before them (shell/Recovery.h, shell/FileWatch.h).
    std::unique_ptr<Recovery> recovery;
    std::unique_ptr<FileWatch> fileWatch;

  private:
    void centreMapViewOn(int row, int col) override;
    void overviewClosed() override;
    // The overview shown while its mark is set and a map is on screen, placed beside the palette
    // when it appears.
    void showOverviewIfWanted();

    ViewPreferences prefs_ = ViewPreferences::load();

    // While the new-map dialog tries a sheet, the document's picture is the tried one: the sheet
    // in use, put aside, and the name and found path the tried one gets at "決定".
    struct SheetTrial {
        bool active = false;
        std::shared_ptr<const Bitmap> keptSheet;
        std::int32_t keptChip = 0;
        std::string triedName;    // for SheetFileName
        std::string triedFoundAt; // for SheetFoundAt
    };
    SheetTrial trial_;
};

// An error raised inside a handler, in a box captioned with the application title.
inline void showError(Application& app, QWidget* owner, const QString& message) {
    showError(app.dialogs, owner, message);
}

} // namespace tilora
