// The edit menu: undo and redo of map steps, the one-shot fill, the editing tools (selection,
// rectangle, line, paste) and the commands on the selection (copy, cut, delete, capture to a
// stamp), and Esc, which ends a drag or drops the armed tool and the selection.

#include "core/Painting.h"
#include "core/RegionEdits.h"
#include "core/Selection.h"
#include "mapview/MapTools.h"
#include "mapview/TMapWindow.h"
#include "mapview/tools/FillTool.h"
#include "mapview/tools/PasteTool.h"
#include "mapview/tools/SelectTool.h"
#include "mapview/tools/ShapeTool.h"
#include "platform/UiText.h"
#include "shell/Application.h"
#include "shell/MapClipboard.h"
#include "shell/TMainWindow.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QPushButton>

namespace tilora {

void TMainWindow::Undo1Click() {
    if (!app_.mapShown() || !app_.State.History.canUndo()) return;
    afterHistoryMove(app_.State.undo());
}

void TMainWindow::Redo1Click() {
    if (!app_.mapShown() || !app_.State.History.canRedo()) return;
    afterHistoryMove(app_.State.redo());
}

void TMainWindow::afterHistoryMove(const CellArea& changed) {
    // (Back at the point last saved or loaded, the map no longer counts as changed: the
    // document's undo and redo see to MapModified.)
    const EditorState& s = app_.State;
    // The view stays where it is; it is redrawn only when it shows a changed cell. The overview
    // follows either way.
    const ViewSize& view = app_.MapWindow->viewSize();
    if (changed.overlaps(s.ViewRow, s.ViewCol, view.rows(s.CellSize), view.columns(s.CellSize)))
        app_.MapWindow->redrawView();
    else
        app_.followMap();
    // A step may have put the selection back, or a stamp bank (a capture).
    app_.MapWindow->showSelection();
    app_.StampWindow->DrawStampBank();
    app_.commandsChanged();
}

template <class Tool> void TMainWindow::armFromMenu(const QAction* item) {
    if (!item->isEnabled()) return;
    app_.MapWindow->tools().arm<Tool>();
    app_.commandsChanged();
}

void TMainWindow::Fill1Click() {
    armFromMenu<FillTool>(Fill1);
}

void TMainWindow::DisarmKeyClick() {
    MapTools& tools = app_.MapWindow->tools();
    // A rectangle, a line or a selection being dragged: only the drag ends.
    if (!tools.cancelDrag()) {
        // Back to the pen or stamp in use, with nothing selected.
        tools.disarm();
        app_.State.Selection = {};
        app_.MapWindow->showSelection();
    }
    app_.commandsChanged();
}

void TMainWindow::afterEdit(int changed) {
    if (changed > 0) app_.MapWindow->redrawView();
    app_.MapWindow->showSelection();
    app_.commandsChanged();
}

void TMainWindow::Select1Click() {
    armFromMenu<SelectTool>(Select1);
}

void TMainWindow::SelectAll1Click() {
    if (!SelectAll1->isEnabled()) return;
    app_.State.Selection = mapRect(app_.State);
    // The selection tool comes with it, so the whole map can be dragged at once.
    app_.MapWindow->tools().arm<SelectTool>();
    afterEdit(0);
}

void TMainWindow::Copy1Click() {
    if (!Copy1->isEnabled()) return;
    const EditorState& s = app_.State;
    const CellRect selected = clipToMap(s, s.Selection);
    if (selected.empty()) return;
    putBlockOnClipboard(copyBlock(s, selected), {selected.row, selected.col},
                        s.SheetFoundAt.empty() ? s.SheetFileName : s.SheetFoundAt);
}

void TMainWindow::Cut1Click() {
    if (!Cut1->isEnabled()) return;
    Copy1Click();
    afterEdit(deleteSelection(app_.State, app_.State.History));
}

void TMainWindow::Delete1Click() {
    if (!Delete1->isEnabled()) return;
    afterEdit(deleteSelection(app_.State, app_.State.History));
}

std::optional<ClipboardBlock> TMainWindow::takeClipboardBlock() {
    auto taken = blockFromClipboard();
    if (!taken) {
        app_.dialogs.messageBox(this, QString::fromStdString(taken.error().message), CautionCaption,
                                MessageButtons::Ok);
        return std::nullopt;
    }
    const std::string& sheet =
        app_.State.SheetFoundAt.empty() ? app_.State.SheetFileName : app_.State.SheetFoundAt;
    if (taken->sheet && *taken->sheet != sheet) {
        // Chips are numbers: they go in as they are, showing this map's sheet's chips.
        app_.dialogs.messageBox(
            this,
            uiText(QT_TRANSLATE_NOOP("tilora", "別のチップ画像のマップからコピーしたチップです。\n"
                                               "番号のまま貼り付けます。")),
            CautionCaption, MessageButtons::Ok);
    }
    return std::move(*taken);
}

void TMainWindow::Paste1Click() {
    if (!Paste1->isEnabled()) return;
    auto taken = takeClipboardBlock();
    if (!taken) return;
    MapTools& tools = app_.MapWindow->tools();
    tools.arm<PasteTool>();
    // The block follows the pointer from the cell under it.
    if (auto* paste = tools.find<PasteTool>()) paste->start(std::move(taken->block));
    app_.commandsChanged();
}

void TMainWindow::PasteInPlace1Click() {
    if (!PasteInPlace1->isEnabled()) return;
    auto taken = takeClipboardBlock();
    if (!taken) return;
    EditorState& s = app_.State;
    // Text from another program says nowhere: it goes to the view's top-left cell.
    const Anchor at = taken->origin.value_or(Anchor{s.ViewRow, s.ViewCol});
    const int changed = pasteBlock(s, app_.State.History, taken->block, at);
    app_.MapWindow->tools().arm<SelectTool>();
    afterEdit(changed);
}

void TMainWindow::Capture1Click() {
    if (!Capture1->isEnabled()) return;
    if (!captureToStamp(app_.State, app_.State.History, app_.currentStampBank())) return;
    TStampWindow& editor = *app_.StampWindow;
    editor.DrawStampBank();
    editor.show();
    app_.commandsChanged();
}

void TMainWindow::Rectangle1Click() {
    armFromMenu<RectangleTool>(Rectangle1);
}

void TMainWindow::Line1Click() {
    armFromMenu<LineTool>(Line1);
}

} // namespace tilora
