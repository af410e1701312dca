#pragma once
// The application object: owns the editor state, the chip sheet, the host services and the six
// windows, created in the fixed order MainWindow, TitleWindow, MapChipWindow, StartUpWindow,
// MapWindow, StampWindow, and the overview after them. Windows see it only as their EditorContext
// and reach each other through its named operations; there are no globals, so a test builds a fresh
// one with scripted dialogs and drives it.

#include "core/Bitmap.h"
#include "core/CommandStates.h"
#include "overview/TOverviewWindow.h"
#include "platform/EditorContext.h"
#include "shell/ViewPreferences.h"

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

class Application final : public EditorContext, private OverviewHost {
  public:
    explicit Application(Dialogs& dialogs,
                         ScreenMetrics screen = ScreenMetrics::fromPrimaryScreen());
    ~Application() override;

    // Shows the main window (what the message loop's start does); recovery copies and the watch
    // on the map and sheet files start with it.
    void start();
    // The map now matches its file (saved or loaded): its recovery copy goes, and the file's
    // state on disk is the editor's own.
    void mapMatchesFile();
    // At start-up, before the first command: copies left by editors that no longer run are
    // offered back (once per run).
    void offerRecovery();

    const Bitmap& sheet() const override { return sheet_; }
    void setSheet(Bitmap sheet) override;
    void trySheet(Bitmap sheet, const QString& path) override;
    void acceptTriedSheet() override;
    void putBackSheet() override;
    FileDialog& openDialog() override;
    FileDialog& saveDialog() override;
    void refreshMapView() override;
    void layoutChipWindow() override;
    bool askToSave(AskMode mode) override;
    void enterNoMapState() override;
    void enableMapCommands() override;
    void commandsChanged() override;
    bool mapShown() const override { return commandMemory.mapShown; }
    void setChipWindowShown(bool shown) override;
    void setMapWindowShown(bool shown) override;
    void setNewMapDialogShown(bool shown) override;
    void arrangeWindows() override;
    void fitChipWindow(const ChipWindowLayout& layout) override;
    void fitMapWindow(const MapViewLayout& layout) override;
    void resetChipFrame() override;
    void showChipPreview(int left, int top) override;
    int currentStampBank() const override;
    ViewSize mapViewSize() const override;
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

    Bitmap sheet_;
    ViewPreferences prefs_ = ViewPreferences::load();

    // While the new-map dialog tries a sheet: the sheet in use, put aside, and the name and
    // found path the tried one gets at "決定".
    struct SheetTrial {
        bool active = false;
        Bitmap keptSheet;
        std::int32_t keptChip = 0;
        std::string triedName;    // for SheetFileName
        std::string triedFoundAt; // for the main window's SheetFoundAt
    };
    SheetTrial trial_;
};

} // namespace tilora
