// The editing tools on a full 1000 x 1000 map of random chips, each beside its floor:
// - CopyPaste: copying the whole map as a block and pasting it one column to the right (one undo
//   step), then one redraw of the 320 x 320 view, at cell sizes 1 and 32; the floor copies the
//   cells once and redraws the view once;
// - Rectangle: a filled rectangle over the whole map, recorded; the floor writes every cell;
// - Line: a diagonal line across the map with pens of 1 and 8, recorded; the floor writes the
//   same cells from spans worked out beforehand;
// Rectangle and line are measured on the random map (every cell differs from its neighbours:
// the history keeps a copy of every cell) and on a map of 25 x 25 regions of one chip each, as a
// drawn map mostly is (the history keeps runs).
// - StrokeMove: one move of the pen's run at pen 8 that jumps 12 cells (the gap joined), its
//   cells recorded and drawn at cell size 32; the floor is one pen square written and drawn, what
//   a move cost before strokes were joined. The move must stay under 0.2 ms.
// Also, without a floor: the clipboard text of the whole map, made and read back.

#include "core/ChipBlock.h"
#include "core/ChipRenderer.h"
#include "core/RegionEdits.h"
#include "core/Shapes.h"
#include "core/UndoHistory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

namespace tilora {
namespace {

constexpr int SheetSide = 256;
constexpr int SheetChips = (SheetSide / ChipPixels) * (SheetSide / ChipPixels);

struct Scene {
    Bitmap sheet{SheetSide, SheetSide};
    Bitmap view{ViewPixels, ViewPixels};
    ChipRenderer renderer;
    std::unique_ptr<EditorState> state = std::make_unique<EditorState>();
    std::unique_ptr<EditorState> regions = std::make_unique<EditorState>();

    Scene() {
        std::mt19937 rng(21);
        for (int y = 0; y < SheetSide; ++y)
            for (int x = 0; x < SheetSide; ++x)
                sheet.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
        renderer.setSheet(&sheet);
        for (auto& c : state->MapCells)
            c = std::int32_t(rng() % SheetChips);
        state->MapWidth = state->MapHeight = GridSide;
        state->SheetColumns = SheetSide / ChipPixels;
        for (int r = 0; r < GridSide; ++r)
            for (int c = 0; c < GridSide; ++c)
                regions->cell(r, c) = (r / 25 * 7 + c / 25) % SheetChips;
        regions->MapWidth = regions->MapHeight = GridSide;
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

void copyPaste(benchmark::State& bs) {
    Scene& sc = scene();
    EditorState& s = *sc.state;
    s.CellSize = int(bs.range(0));
    UndoHistory history;
    for (auto _ : bs) {
        s.Selection = {0, 0, GridSide, GridSide};
        const ChipBlock block = copyBlock(s, s.Selection);
        benchmark::DoNotOptimize(pasteBlock(s, history, block, {0, 1}));
        sc.renderer.redrawView(sc.view, s);
        benchmark::ClobberMemory();
    }
    bs.counters["steps_kept"] = double(history.stepCount());
}

void copyPasteFloor(benchmark::State& bs) {
    Scene& sc = scene();
    EditorState& s = *sc.state;
    s.CellSize = int(bs.range(0));
    std::vector<std::int32_t> copy(std::size_t(GridSide) * GridSide);
    for (auto _ : bs) {
        std::copy(s.MapCells.begin(), s.MapCells.end(), copy.begin());
        sc.renderer.redrawView(sc.view, s);
        benchmark::ClobberMemory();
    }
}

EditorState& mapOfKind(benchmark::State& bs) {
    return bs.range(1) != 0 ? *scene().regions : *scene().state;
}

void rectangle(benchmark::State& bs) {
    EditorState& s = mapOfKind(bs);
    UndoHistory history;
    int chip = 0;
    for (auto _ : bs) {
        s.CurrentChip = ++chip % SheetChips;
        benchmark::DoNotOptimize(fillRectangle(s, history, {0, 0}, {GridSide - 1, GridSide - 1}));
        benchmark::ClobberMemory();
    }
}

void rectangleFloor(benchmark::State& bs) {
    EditorState& s = mapOfKind(bs);
    int chip = 0;
    for (auto _ : bs) {
        std::fill(s.MapCells.begin(), s.MapCells.end(), ++chip % SheetChips);
        benchmark::ClobberMemory();
    }
}

void line(benchmark::State& bs) {
    EditorState& s = mapOfKind(bs);
    s.PenSize = int(bs.range(0));
    UndoHistory history;
    int chip = 0;
    for (auto _ : bs) {
        s.CurrentChip = ++chip % SheetChips;
        benchmark::DoNotOptimize(drawLine(s, history, {0, 0}, {GridSide - 1, GridSide - 1}));
        benchmark::ClobberMemory();
    }
}

void lineFloor(benchmark::State& bs) {
    EditorState& s = mapOfKind(bs);
    const auto spans = penLineSpans({0, 0}, {GridSide - 1, GridSide - 1}, int(bs.range(0)));
    int chip = 0;
    for (auto _ : bs) {
        ++chip;
        for (const RowSpan& sp : spans) {
            const int left = std::max(sp.col, 0);
            const int right = std::min(sp.col + sp.cols, GridSide);
            if (sp.row >= GridSide || right <= left) continue;
            std::fill_n(s.MapCells.begin() + std::ptrdiff_t(sp.row) * GridSide + left, right - left,
                        chip % SheetChips);
        }
        benchmark::ClobberMemory();
    }
}

void strokeMove(benchmark::State& bs) {
    Scene& sc = scene();
    EditorState& s = *sc.state;
    s.CellSize = 32;
    s.PenSize = 8;
    UndoHistory history;
    int k = 0;
    for (auto _ : bs) {
        // Back and forth across the view's top-left: every move joins a 12-cell gap.
        const Anchor from{0, (k % 2) * 12};
        const Anchor to{0, ((k + 1) % 2) * 12};
        s.CurrentChip = k % SheetChips;
        ++k;
        paintStroke(s, &history, from, to, [&](int row, int col) {
            sc.renderer.drawChip(sc.view, col * 32, row * 32, 32, s.SheetColumns, s.CurrentChip);
        });
        benchmark::ClobberMemory();
        if (k % 1024 == 0) history.closeStep();
    }
}

void strokeMoveFloor(benchmark::State& bs) {
    Scene& sc = scene();
    EditorState& s = *sc.state;
    s.PenSize = 8;
    int k = 0;
    for (auto _ : bs) {
        s.CurrentChip = ++k % SheetChips;
        paintPen(s, {0, (k % 2) * 12}, [&](int row, int col) {
            sc.renderer.drawChip(sc.view, (col + (k % 2) * 12) * 32, row * 32, 32, s.SheetColumns,
                                 s.CurrentChip);
        });
        benchmark::ClobberMemory();
    }
}

void clipboardText(benchmark::State& bs) {
    const EditorState& s = *scene().state;
    const ChipBlock block = copyBlock(s, {0, 0, GridSide, GridSide});
    for (auto _ : bs) {
        const std::string text = formatChipBlock(block);
        auto back = parseChipBlock(text);
        benchmark::DoNotOptimize(back);
    }
}

[[maybe_unused]] const bool registered = [] {
    for (int size : {1, 32}) {
        const std::string name = std::to_string(size);
        benchmark::RegisterBenchmark(("CopyPaste/tilora/" + name).c_str(), copyPaste)
            ->Arg(size)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("CopyPaste/floor/" + name).c_str(), copyPasteFloor)
            ->Arg(size)
            ->Unit(benchmark::kMillisecond);
    }
    for (int regions : {0, 1}) {
        const std::string kind = regions ? "regions" : "random";
        benchmark::RegisterBenchmark(("Rectangle/tilora/" + kind).c_str(), rectangle)
            ->Args({0, regions})
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Rectangle/floor/" + kind).c_str(), rectangleFloor)
            ->Args({0, regions})
            ->Unit(benchmark::kMillisecond);
        for (int pen : {1, 8}) {
            const std::string name = std::to_string(pen) + "-" + kind;
            benchmark::RegisterBenchmark(("Line/tilora/" + name).c_str(), line)
                ->Args({pen, regions});
            benchmark::RegisterBenchmark(("Line/floor/" + name).c_str(), lineFloor)
                ->Args({pen, regions});
        }
    }
    benchmark::RegisterBenchmark("StrokeMove/tilora/8", strokeMove)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("StrokeMove/floor/8", strokeMoveFloor)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("clipboard_text_1000x1000", clipboardText)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace tilora
