// The edit menu: undo and redo of map steps, and the one-shot fill; and the enabled states of the
// commands that follow the history, the tools and the map on screen rather than a fixed rule.

#include "core/Painting.h"
#include "mapview/MapTools.h"
#include "mapview/TMapWindow.h"
#include "mapview/tools/FillTool.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"

#include <QAction>
#include <QPushButton>

namespace tilora {

void TMainWindow::Undo1Click() {
    if (!app_.mapShown() || !app_.History.canUndo()) return;
    afterHistoryMove(app_.History.undo(app_.State));
}

void TMainWindow::Redo1Click() {
    if (!app_.mapShown() || !app_.History.canRedo()) return;
    afterHistoryMove(app_.History.redo(app_.State));
}

void TMainWindow::afterHistoryMove(const CellArea& changed) {
    EditorState& s = app_.State;
    // Back at the point last saved or loaded, the map no longer counts as changed.
    s.MapModified = app_.History.differsFromSaved() ? 1 : 0;
    // The view stays where it is; it is redrawn only when it shows a changed cell. The overview
    // follows either way.
    const ViewSize& view = app_.MapWindow->viewSize();
    if (changed.overlaps(s.ViewRow, s.ViewCol, view.rows(s.CellSize), view.columns(s.CellSize)))
        app_.MapWindow->redrawView();
    else
        app_.followMap();
    updateEditCommands();
}

void TMainWindow::Fill1Click() {
    if (!Fill1->isEnabled()) return;
    app_.MapWindow->tools().arm<FillTool>();
    updateEditCommands();
}

void TMainWindow::DisarmKeyClick() {
    app_.MapWindow->tools().disarm();
    updateEditCommands();
}

void TMainWindow::updateEditCommands() {
    const bool shown = app_.mapShown();
    Undo1->setEnabled(shown && app_.History.canUndo());
    Redo1->setEnabled(shown && app_.History.canRedo());
    const bool anyPen = PenButton1->isEnabled() || PenButton2->isEnabled() ||
                        PenButton3->isEnabled() || PenButton4->isEnabled();
    Fill1->setEnabled(anyPen && app_.State.ZoomPending == 0);
    // Ctrl+S is the key of "上書き保存"; while that is disabled it saves under a new name, if
    // that command is enabled, and otherwise does nothing.
    SaveKey->setEnabled(!Save->isEnabled() && NameSave->isEnabled());
    ZoomInKey->setEnabled(ZoomInButton->isEnabled());
    ZoomOutKey->setEnabled(ZoomOutButton->isEnabled());
    DisarmKey->setEnabled(app_.MapWindow && app_.MapWindow->fillArmed());
}

} // namespace tilora
