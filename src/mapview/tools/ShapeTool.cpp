#include "mapview/tools/ShapeTool.h"

#include "core/RegionEdits.h"
#include "core/Selection.h"
#include "mapview/MapViewPort.h"
#include "mapview/TMapWindow.h"
#include "platform/UiText.h"

namespace tilora {

namespace {

// The gaps are ideographic spaces.
const UiText kRectangleHint{
    QT_TRANSLATE_NOOP("tilora", "四角形　ドラッグで選んだ範囲を塗りつぶします")};
const UiText kLineHint{QT_TRANSLATE_NOOP("tilora", "直線　ドラッグで線を引きます")};

} // namespace

bool ShapeTool::press(const ToolEvent& event) {
    dragging_ = true;
    start_ = event.cell;
    ctx.window.showSpansPreview(spans(start_, event.cell));
    return true;
}

void ShapeTool::move(const ToolEvent& event) {
    if (dragging_) ctx.window.showSpansPreview(spans(start_, event.cell));
}

void ShapeTool::release(const ToolEvent& event) {
    if (!dragging_) return;
    dragging_ = false;
    ctx.window.clearPreview();
    if (commit(start_, event.cell) > 0) ctx.window.redrawView();
}

void ShapeTool::cancel() {
    dragging_ = false;
    ctx.window.clearPreview();
}

std::vector<RowSpan> RectangleTool::spans(Anchor from, Anchor to) const {
    return rectSpans(rectBetween(ctx.app.State, from, to));
}

int RectangleTool::commit(Anchor from, Anchor to) {
    return fillRectangle(ctx.app.State, ctx.app.State.History, from, to);
}

QString RectangleTool::hint() const {
    return kRectangleHint;
}

std::vector<RowSpan> LineTool::spans(Anchor from, Anchor to) const {
    return penLineSpans(from, to, ctx.app.State.PenSize);
}

int LineTool::commit(Anchor from, Anchor to) {
    return drawLine(ctx.app.State, ctx.app.State.History, from, to);
}

QString LineTool::hint() const {
    return kLineHint;
}

} // namespace tilora
