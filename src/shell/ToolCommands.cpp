// The tool and view commands of the main window: pen sizes and the stamp, the zoom buttons, the
// chip, map and stamp windows, help and the about box.
//
// The pen buttons and the stamp button form one group: the button of the tool in use is the
// disabled one.

#include "mapview/MapTools.h"
#include "mapview/TMapWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/Layout.h"
#include "platform/UiText.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QPushButton>

// The program's resources (the help document) are linked from a static library; registering
// them by name keeps the linker from dropping them. Declared outside any namespace, as the
// registration requires.
static void registerProgramResources() {
    Q_INIT_RESOURCE(resources);
}

namespace tilora {

namespace {

// Pen button k (1..4) paints a square of this many chips.
constexpr int kPenSizes[] = {1, 2, 4, 8};
constexpr ToolMark kPenMarks[] = {ToolMark::Pen1, ToolMark::Pen2, ToolMark::Pen3, ToolMark::Pen4};

const UiText kAboutCaption{QT_TRANSLATE_NOOP("tilora", "バージョン情報")};
const QString kAboutText =
    QStringLiteral("Tilora ver1.0\ntilora@example.org\nhttps://tilora.example.org/");

} // namespace

void TMainWindow::PenButtonClick(int k) {
    if (k < 1 || k > 4) return;
    app_.commandMemory.toolChosen(kPenMarks[k - 1]);
    app_.commandsChanged();
    app_.State.PenSize = kPenSizes[k - 1];
    app_.State.StampMode = 0;
}

void TMainWindow::StampButtonClick() {
    app_.commandMemory.toolChosen(ToolMark::Stamp);
    app_.commandsChanged();
    app_.State.StampMode = 1;
}

void TMainWindow::SEButtonClick() {
    TStampWindow& editor = *app_.StampWindow;
    editor.DrawStampBank();
    editor.setVisible(!editor.isVisible());
}

void TMainWindow::ZoomInButtonClick() {
    // At the largest cells nothing is armed and nothing lost; otherwise the next left click on the
    // map view picks the reference cell.
    if (!app_.MapWindow->tools().armZoomPick(+1)) return;
    app_.commandMemory.zoomArmed(+1);
    app_.commandsChanged();
}

void TMainWindow::ZoomOutButtonClick() {
    if (!app_.MapWindow->tools().armZoomPick(-1)) return; // already at the smallest cells
    app_.commandMemory.zoomArmed(-1);
    app_.commandsChanged();
}

void TMainWindow::ToggleChipWindow() {
    TMapChipWindow& palette = *app_.MapChipWindow;
    const TMapWindow& map = *app_.MapWindow;
    palette.move(map.x() + outerWidth(map), outerHeight(*this));
    // Decided by the window itself; the mark is set from the outcome.
    app_.setChipWindowShown(!palette.isVisible());
}

void TMainWindow::ToggleMapWindow() {
    app_.MapWindow->move(0, outerHeight(*this));
    // Decided by the menu item's mark as the commands last set it (choosing the item from the
    // menu has already flipped the item's own).
    app_.setMapWindowShown(!app_.commandMemory.mapWindowMarked);
}

void TMainWindow::OverviewWindow1Click() {
    // The menu has flipped the mark already; the key arrives the same way.
    app_.setOverviewShown(OverviewWindow1->isChecked());
}

void TMainWindow::Grid1Click() {
    app_.setGridShown(Grid1->isChecked());
}

void TMainWindow::StatusLine1Click() {
    app_.setStatusLineShown(StatusLine1->isChecked());
}

void TMainWindow::Help1Click() {
    static const bool registered = (registerProgramResources(), true);
    (void)registered;
    app_.dialogs.showHelp(this);
}

void TMainWindow::About1Click() {
    app_.dialogs.messageBox(nullptr, kAboutText, kAboutCaption, MessageButtons::Ok);
}

} // namespace tilora
