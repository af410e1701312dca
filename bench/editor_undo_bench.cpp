// The editor's undo of a full-map step, as the edit menu runs it: the history writes a whole-map
// fill back, the modified flag is taken from the saved point, and the view is redrawn at 1-pixel
// cells (the most cells a redraw can show). The floor writes every map cell and does the same
// redraw.

#include "core/ChipRenderer.h"
#include "core/Fill.h"
#include "core/UndoHistory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace tilora {
namespace {

struct Editor {
    Bitmap sheet{256, 256, 0xFF336699u};
    Bitmap view{ViewPixels, ViewPixels};
    std::unique_ptr<EditorState> state = std::make_unique<EditorState>();
    ChipRenderer renderer;

    Editor() {
        state->MapWidth = state->MapHeight = GridSide;
        state->SheetColumns = 8;
        state->CellSize = 1;
        renderer.setSheet(&sheet);
        renderer.redrawView(view, *state); // the cache, as the first redraw builds it
    }
};

void editorUndo(benchmark::State& bs) {
    Editor e;
    UndoHistory history;
    history.markSaved();
    fillRegion(*e.state, {0, 0}, 1, &history);
    for (auto _ : bs) {
        history.undo(*e.state);
        e.state->MapModified = history.differsFromSaved() ? 1 : 0;
        e.renderer.redrawView(e.view, *e.state);
        benchmark::ClobberMemory();
        bs.PauseTiming();
        history.redo(*e.state);
        bs.ResumeTiming();
    }
}

void writeAndRedraw(benchmark::State& bs) {
    Editor e;
    int chip = 0;
    for (auto _ : bs) {
        chip ^= 1;
        for (int r = 0; r < GridSide; ++r) {
            auto row = e.state->MapCells.begin() + std::ptrdiff_t(r) * GridSide;
            std::fill(row, row + GridSide, chip);
        }
        e.renderer.redrawView(e.view, *e.state);
        benchmark::ClobberMemory();
    }
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("EditorUndo/tilora", editorUndo)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("EditorUndo/floor", writeAndRedraw)->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace tilora
