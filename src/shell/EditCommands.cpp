// The edit menu: undo and redo of map steps, the one-shot fill, and Esc, which disarms it.

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
    app_.commandsChanged();
}

void TMainWindow::Fill1Click() {
    if (!Fill1->isEnabled()) return;
    app_.MapWindow->tools().arm<FillTool>();
    app_.commandsChanged();
}

void TMainWindow::DisarmKeyClick() {
    app_.MapWindow->tools().disarm();
    app_.commandsChanged();
}

} // namespace tilora
