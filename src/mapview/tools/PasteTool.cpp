#include "mapview/tools/PasteTool.h"

#include "core/RegionEdits.h"
#include "mapview/MapTools.h"
#include "mapview/MapViewPort.h"
#include "mapview/TMapWindow.h"
#include "mapview/tools/SelectTool.h"
#include "platform/UiText.h"

#include <utility>

namespace tilora {

namespace {

// The gap is one ideographic space.
const UiText kPasteHint{
    QT_TRANSLATE_NOOP("tilora", "貼り付け　クリックで配置、右クリックかEscでやめる")};

} // namespace

void PasteTool::start(ChipBlock block) {
    block_ = std::move(block);
    ctx.window.showBlockPreview(block_, anchorCell(ctx.app.State));
}

bool PasteTool::press(const ToolEvent& event) {
    if (block_.empty()) return false;
    EditorState& s = ctx.app.State;
    const ChipBlock block = std::exchange(block_, {});
    ctx.window.clearPreview();
    if (pasteBlock(s, ctx.app.State.History, block, event.cell) > 0) ctx.window.redrawView();
    // The placed cells are the selection; the selection tool takes them from here.
    ctx.tools.arm<SelectTool>();
    ctx.window.showSelection();
    return false;
}

void PasteTool::hover(const ToolEvent& event) {
    if (!block_.empty()) ctx.window.showBlockPreview(block_, event.cell);
}

void PasteTool::cancel() {
    block_ = {};
    ctx.window.clearPreview();
}

QString PasteTool::hint() const {
    return kPasteHint;
}

} // namespace tilora
