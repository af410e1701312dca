#include "shell/Application.h"

#include "core/Geometry.h"
#include "core/Selection.h"
#include "core/WindowLayout.h"
#include "core/Zoom.h"
#include "mapview/MapTools.h"
#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/Layout.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "platform/SheetSearch.h"
#include "shell/FileWatch.h"
#include "shell/LayoutChipWindow.h"
#include "shell/Recovery.h"
#include "shell/RefreshMapView.h"
#include "shell/TMainWindow.h"
#include "shell/TTitleWindow.h"
#include "stamps/TStampWindow.h"

#include <QFile>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace tilora {

Application::Application(Dialogs& d, ScreenMetrics screen)
    : EditorData(d, screen), MapViewPort(State, Renderer, Screen), PalettePort(State),
      NewMapPort(State, dialogs), StampEditorPort(State, Renderer) {
    // Each window may refer to the ones created before it, never to later ones.
    MainWindow = std::make_unique<TMainWindow>(*this);
    TitleWindow = std::make_unique<TTitleWindow>(*this);
    MapChipWindow = std::make_unique<TMapChipWindow>(*this);
    StartUpWindow = std::make_unique<TStartUpWindow>(*this);
    MapWindow = std::make_unique<TMapWindow>(*this);
    StampWindow = std::make_unique<TStampWindow>(*this);
    OverviewWindow = std::make_unique<TOverviewWindow>(static_cast<OverviewHost&>(*this));

    // The view menu's marks as the last run left them (all off the first time).
    commandsChanged();
    MapWindow->setGridShown(prefs_.grid);
    MapWindow->setStatusLineShown(prefs_.statusLine);
    recovery = std::make_unique<Recovery>(*this, recoveryFolderFromEnvironment());
    fileWatch = std::make_unique<FileWatch>(*this);
}

Application::~Application() {
    // The renderer borrows the sheet; forget it before the sheet goes.
    Renderer.setSheet(nullptr);
    fileWatch.reset();
    recovery.reset();
    OverviewWindow.reset();
    StampWindow.reset();
    MapWindow.reset();
    StartUpWindow.reset();
    MapChipWindow.reset();
    TitleWindow.reset();
    MainWindow.reset();
}

void Application::start() {
    MainWindow->show();
    recovery->start();
    fileWatch->start();
}

void Application::mapMatchesFile() {
    recovery->mapMatchesFile();
    fileWatch->mapMatchesFile();
}

void Application::offerRecovery() {
    recovery->offerOrphans();
}

void Application::setSheet(Bitmap sheet) {
    State.SheetPicture = std::make_shared<const Bitmap>(std::move(sheet));
    sheetReplaced();
}

void Application::sheetReplaced() {
    Renderer.setSheet(&State.sheet());
    if (OverviewWindow) OverviewWindow->sheetChanged();
    MapChipWindow->showSheet(State.sheet());
    chooseChip(State.CurrentChip);
}

bool Application::chooseChip(std::int32_t chip) {
    State.CurrentChip =
        guardedChip(chip, State.CurrentChip, chipCount(sheet().width(), sheet().height()));
    return State.CurrentChip == chip;
}

void Application::trySheet(Bitmap sheet, const QString& path) {
    if (!trial_.active) {
        trial_.active = true;
        trial_.keptSheet = State.SheetPicture;
        trial_.keptChip = State.CurrentChip;
    }
    trial_.triedName = sheetPathBytes(path);
    trial_.triedFoundAt = QFile::encodeName(path).toStdString();
    setSheet(std::move(sheet));
    commandMemory.sheetTried();
    commandsChanged();
}

void Application::acceptTriedSheet() {
    if (!trial_.active) return;
    State.SheetFileName = std::move(trial_.triedName);
    State.SheetFoundAt = std::move(trial_.triedFoundAt);
    State.GeneratedSheetName.clear();
    trial_ = SheetTrial();
}

void Application::putBackSheet() {
    commandMemory.newMapAbandoned();
    commandsChanged();
    if (!trial_.active) return;
    SheetTrial kept = std::exchange(trial_, SheetTrial());
    State.SheetPicture = std::move(kept.keptSheet);
    sheetReplaced();
    chooseChip(kept.keptChip);
    // The palette laid out for it again, as after its own load, but left hidden.
    State.SheetScrollX = 0;
    State.SheetScrollY = 0;
    if (!sheet().isNull())
        MapChipWindow->fitToSheet(chipWindowLayout(sheet().width(), sheet().height()), false);
}

FileDialog& Application::openDialog() {
    return MainWindow->OpenDialog1;
}

void Application::refreshMapView() {
    // A map shown anew (a load) takes no armed tool over from the one shown before.
    MapWindow->tools().disarm();
    RefreshMapView(*this);
    showOverviewIfWanted();
}

void Application::layoutChipWindow() {
    LayoutChipWindow(*this);
}

void Application::enterNoMapState() {
    // The old map stays in memory until the new-map dialog confirms.
    MapWindow->hide();
    MapChipWindow->hide();
    StartUpWindow->Image1->hide();
    StartUpWindow->showDialog();
    StampWindow->hide();
    OverviewWindow->hide();
    MapWindow->tools().disarm();
    commandMemory.mapLeft();
    commandsChanged();
}

void Application::enableMapCommands() {
    commandMemory.mapShownAnew();
    commandsChanged();
}

void Application::commandsChanged() {
    EditorFacts facts;
    facts.zoomPending = State.ZoomPending == 1;
    facts.canUndo = State.History.canUndo();
    facts.canRedo = State.History.canRedo();
    // The windows are made one after another; until the map window is, no tool is armed.
    facts.toolArmed = MapWindow && MapWindow->tools().armed() != nullptr;
    facts.selection = !clipToMap(State, State.Selection).empty();
    facts.overviewWanted = prefs_.overview;
    facts.gridShown = prefs_.grid;
    facts.statusLineShown = prefs_.statusLine;
    const CommandStates states = commandStates(commandMemory, facts);
    MainWindow->applyCommandStates(states);
    if (StartUpWindow) StartUpWindow->Button1->setEnabled(states[Command::ConfirmNewMap].enabled);
}

void Application::setChipWindowShown(bool shown) {
    MapChipWindow->setVisible(shown);
    commandMemory.chipWindowMarked = shown;
    commandsChanged();
}

void Application::setMapWindowShown(bool shown) {
    MapWindow->setVisible(shown);
    commandMemory.mapWindowMarked = shown;
    commandsChanged();
}

void Application::setNewMapDialogShown(bool shown) {
    if (shown) {
        StartUpWindow->showDialog();
    } else {
        StartUpWindow->hide();
        // A map is shown: confirmed (the tried sheet was accepted) or loaded with its own sheet.
        // Either way the sheet put aside is no longer wanted.
        trial_ = SheetTrial();
    }
}

void Application::arrangeWindows() {
    MainWindow->move(0, 0);
    const int underMain = outerHeight(*MainWindow);
    MapWindow->move(0, underMain);
    // The view, its bars and its status line: 336 x 337 as laid out, the user's size once the
    // window was made larger (for this run only).
    MapWindow->fitClientToView();
    MapChipWindow->move(MapWindow->x() + outerWidth(*MapWindow), underMain);
}

void Application::resetChipFrame() {
    MapChipWindow->Shape1->move(0, 0);
    MapChipWindow->Shape1->show();
}

void Application::showChipPreview(int left, int top) {
    StartUpWindow->showChipPreview(left, top);
}

int Application::currentStampBank() const {
    return StampWindow->CurrentBank();
}

void Application::followMap() {
    // What the history saw written since the last look; taken even while the overview is hidden,
    // which draws itself whole when it appears.
    const CellArea touched = State.History.takeTouched();
    if (OverviewWindow && OverviewWindow->isVisible())
        OverviewWindow->follow(State, sheet(), touched, MapWindow->viewSize());
}

void Application::setOverviewShown(bool shown) {
    prefs_.overview = shown;
    prefs_.save();
    commandsChanged();
    if (shown)
        showOverviewIfWanted();
    else
        OverviewWindow->hide();
}

void Application::showOverviewIfWanted() {
    if (!prefs_.overview || !mapShown() || OverviewWindow->isVisible()) return;
    // Beside the palette or the map window, whichever reaches farther right (the map window may
    // have been made larger), under the main window, inside the screen.
    const int right = std::max(MapChipWindow->x() + outerWidth(*MapChipWindow),
                               MapWindow->x() + outerWidth(*MapWindow));
    const int left = std::min(right, Screen.width - outerWidth(*OverviewWindow));
    OverviewWindow->move(std::max(left, 0), outerHeight(*MainWindow));
    OverviewWindow->sheetChanged(); // drawn whole from the map as it is now
    OverviewWindow->show();
    OverviewWindow->follow(State, sheet(), CellArea{}, MapWindow->viewSize());
}

void Application::setGridShown(bool shown) {
    prefs_.grid = shown;
    prefs_.save();
    commandsChanged();
    MapWindow->setGridShown(shown);
}

void Application::setStatusLineShown(bool shown) {
    prefs_.statusLine = shown;
    prefs_.save();
    commandsChanged();
    MapWindow->setStatusLineShown(shown);
}

void Application::centreMapViewOn(int row, int col) {
    if (!mapShown()) return;
    centreViewOn(State, MapWindow->viewSize(), row, col);
    MapWindow->showOrigin();
}

void Application::overviewClosed() {
    setOverviewShown(false);
}

} // namespace tilora
