// The overview of a 1000 x 1000 map: building its picture (the chips' colours taken from the sheet
// first, as after a load), and updating it after one step of an 8 x 8 pen, each beside the floor
// of reading what it reads (the map's cells once; the pen's 64 cells).

#include "core/Overview.h"

#include "core/EditorState.h"
#include "core/Painting.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>

namespace tilora {
namespace {

struct Scene {
    Bitmap sheet{256, 256};
    std::unique_ptr<EditorState> state = std::make_unique<EditorState>();

    Scene() {
        std::mt19937 rng(7);
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x)
                sheet.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
        for (auto& c : state->MapCells)
            c = std::int32_t(rng() % 64);
        state->MapWidth = state->MapHeight = GridSide;
        state->SheetColumns = 8;
        state->PenSize = 8;
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

void build(benchmark::State& bs) {
    Scene& sc = scene();
    Overview overview;
    for (auto _ : bs) {
        overview.setSheet(&sc.sheet, sc.state->SheetColumns);
        overview.rebuild(*sc.state);
        benchmark::DoNotOptimize(overview.picture().data());
    }
}

void readCells(benchmark::State& bs) {
    const Scene& sc = scene();
    std::vector<std::int32_t> to(sc.state->MapCells.size());
    for (auto _ : bs) {
        std::memcpy(to.data(), sc.state->MapCells.data(), to.size() * sizeof(std::int32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// One step of a pen run across the map: the pen writes through the history, the overview takes
// what the history saw written and draws those pixels again.
void penStep(benchmark::State& bs) {
    Scene& sc = scene();
    EditorState& s = *sc.state;
    Overview overview;
    overview.setSheet(&sc.sheet, s.SheetColumns);
    overview.rebuild(s);
    UndoHistory history;
    (void)history.takeTouched();
    int k = 0;
    for (auto _ : bs) {
        const Anchor at{(k * 7) % 990, (k * 13) % 990};
        s.CurrentChip = k % 64;
        ++k;
        history.recordWrites(s, {at.row, at.col, s.PenSize, s.PenSize}, [&] { paintPen(s, at); });
        benchmark::DoNotOptimize(overview.update(s, history.takeTouched()));
        if (history.bytesUsed() > (std::size_t(16) << 20)) history.clear(); // keep it small
    }
}

void penCells(benchmark::State& bs) {
    Scene& sc = scene();
    EditorState& s = *sc.state;
    int k = 0;
    for (auto _ : bs) {
        const Anchor at{(k * 7) % 990, (k * 13) % 990};
        ++k;
        benchmark::DoNotOptimize(paintPen(s, at));
        benchmark::ClobberMemory();
    }
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("OverviewBuild/tilora/1000", build)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OverviewBuild/floor/1000", readCells)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OverviewPenStep/tilora/pen8", penStep)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OverviewPenStep/floor/pen8", penCells)
        ->Unit(benchmark::kMicrosecond);
    return true;
}();

} // namespace
} // namespace tilora
