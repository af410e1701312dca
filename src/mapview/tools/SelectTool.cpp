#include "mapview/tools/SelectTool.h"

#include "core/RegionEdits.h"
#include "core/Selection.h"
#include "mapview/MapViewPort.h"
#include "mapview/TMapWindow.h"
#include "platform/UiText.h"

namespace tilora {

namespace {

// The gap is one ideographic space.
const UiText kSelectHint{
    QT_TRANSLATE_NOOP("tilora", "範囲選択　ドラッグで選択、選択範囲の中からドラッグで移動")};

} // namespace

bool SelectTool::press(const ToolEvent& event) {
    EditorState& s = ctx.app.State;
    before_ = s.Selection;
    start_ = event.cell;
    if (s.Selection.contains(event.cell.row, event.cell.col)) {
        drag_ = Drag::Move;
        moving_ = copyBlock(s, s.Selection);
        ctx.window.showBlockPreview(moving_, {s.Selection.row, s.Selection.col});
    } else {
        drag_ = Drag::Select;
        s.Selection = rectBetween(s, event.cell, event.cell);
        ctx.window.showSelection();
    }
    return true;
}

void SelectTool::move(const ToolEvent& event) {
    EditorState& s = ctx.app.State;
    if (drag_ == Drag::Select) {
        s.Selection = rectBetween(s, start_, event.cell);
        ctx.window.showSelection();
    } else if (drag_ == Drag::Move) {
        const Anchor at{before_.row + event.cell.row - start_.row,
                        before_.col + event.cell.col - start_.col};
        ctx.window.showBlockPreview(moving_, at);
    }
}

void SelectTool::release(const ToolEvent& event) {
    EditorState& s = ctx.app.State;
    if (drag_ == Drag::Move) {
        const int rows = event.cell.row - start_.row;
        const int cols = event.cell.col - start_.col;
        ctx.window.clearPreview();
        if ((rows != 0 || cols != 0) && moveSelection(s, ctx.app.State.History, rows, cols) > 0)
            ctx.window.redrawView();
    }
    drag_ = Drag::None;
    moving_ = {};
    ctx.window.showSelection();
}

void SelectTool::cancel() {
    if (drag_ == Drag::None) return;
    // A drag dropped midway leaves the selection and the map as the press found them.
    ctx.app.State.Selection = before_;
    drag_ = Drag::None;
    moving_ = {};
    ctx.window.clearPreview();
    ctx.window.showSelection();
}

QString SelectTool::hint() const {
    return kSelectHint;
}

} // namespace tilora
