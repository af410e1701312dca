// Undo history and fill on a full 1000 x 1000 map:
// - DragRun: a continuous-painting run of 1000 pen steps, each recorded into the history, beside
//   the same pen writes with no history (the floor), for pens of 1 and 8 chips;
// - UndoFill: undoing a fill of the whole map, beside a plain write of every map cell;
// - Fill: filling the whole map (recorded as the editor does), beside a plain loop that writes
//   every map cell (floor) and a breadth-first fill over a queue of single cells (naive).

#include "core/Fill.h"
#include "core/Painting.h"
#include "core/UndoHistory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <queue>
#include <string>

namespace tilora {
namespace {

constexpr int RunSteps = 1000;

std::unique_ptr<EditorState> fullMap() {
    auto s = std::make_unique<EditorState>();
    s->MapWidth = s->MapHeight = GridSide;
    return s;
}

// The pen's anchor at step i of the run: a diagonal walk over the map, one cell per step.
Anchor runAnchor(int i) {
    return {i % (GridSide - 8), (i * 7) % (GridSide - 8)};
}

void dragRunRecorded(benchmark::State& bs, int penSize) {
    auto s = fullMap();
    s->PenSize = penSize;
    UndoHistory history;
    int chip = 0;
    for (auto _ : bs) {
        s->CurrentChip = ++chip % 2 + 1; // every run changes the cells the last one painted
        for (int i = 0; i < RunSteps; ++i) {
            const Anchor a = runAnchor(i);
            history.recordWrites(*s, {a.row, a.col, penSize, penSize}, [&] { paintPen(*s, a); });
        }
        history.closeStep();
        benchmark::ClobberMemory();
    }
    bs.counters["steps"] = RunSteps;
}

void dragRunPlain(benchmark::State& bs, int penSize) {
    auto s = fullMap();
    s->PenSize = penSize;
    int chip = 0;
    for (auto _ : bs) {
        s->CurrentChip = ++chip % 2 + 1;
        for (int i = 0; i < RunSteps; ++i)
            paintPen(*s, runAnchor(i));
        benchmark::ClobberMemory();
    }
    bs.counters["steps"] = RunSteps;
}

void undoFill(benchmark::State& bs) {
    auto s = fullMap();
    UndoHistory history;
    fillRegion(*s, {0, 0}, 1, &history);
    for (auto _ : bs) {
        history.undo(*s);
        benchmark::ClobberMemory();
        bs.PauseTiming();
        history.redo(*s);
        bs.ResumeTiming();
    }
    bs.counters["cells"] = double(GridSide) * GridSide;
}

// Writes every map cell, row by row: the least any whole-map change can cost.
void writeWholeMap(EditorState& s, std::int32_t chip) {
    for (int r = 0; r < s.MapHeight; ++r) {
        auto row = s.MapCells.begin() + std::ptrdiff_t(r) * GridSide;
        std::fill(row, row + s.MapWidth, chip);
    }
}

void plainWrite(benchmark::State& bs) {
    auto s = fullMap();
    int chip = 0;
    for (auto _ : bs) {
        writeWholeMap(*s, ++chip);
        benchmark::ClobberMemory();
    }
}

void fillRecorded(benchmark::State& bs) {
    auto s = fullMap();
    UndoHistory history;
    int chip = 0;
    for (auto _ : bs) {
        fillRegion(*s, {500, 500}, ++chip, &history);
        benchmark::ClobberMemory();
        bs.PauseTiming();
        history.clear(); // a steady state: no older fill to drop when the limit is reached
        bs.ResumeTiming();
    }
}

// The textbook fill: a queue of cells, each cell's four neighbours tested and queued.
int queueFill(EditorState& s, Anchor at, std::int32_t chip) {
    const std::int32_t target = s.cell(at.row, at.col);
    if (target == chip) return 0;
    std::queue<Anchor> todo;
    todo.push(at);
    s.cell(at.row, at.col) = chip;
    int count = 0;
    while (!todo.empty()) {
        const Anchor a = todo.front();
        todo.pop();
        ++count;
        const Anchor next[] = {
            {a.row - 1, a.col}, {a.row + 1, a.col}, {a.row, a.col - 1}, {a.row, a.col + 1}};
        for (const Anchor n : next) {
            if (n.row < 0 || n.row >= s.MapHeight || n.col < 0 || n.col >= s.MapWidth) continue;
            if (s.cell(n.row, n.col) != target) continue;
            s.cell(n.row, n.col) = chip;
            todo.push(n);
        }
    }
    return count;
}

void fillQueue(benchmark::State& bs) {
    auto s = fullMap();
    int chip = 0;
    for (auto _ : bs) {
        benchmark::DoNotOptimize(queueFill(*s, {500, 500}, ++chip));
        benchmark::ClobberMemory();
    }
}

[[maybe_unused]] const bool registered = [] {
    for (int pen : {1, 8}) {
        const std::string name = std::to_string(pen);
        benchmark::RegisterBenchmark(("DragRun/tilora/" + name).c_str(), dragRunRecorded, pen)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("DragRun/floor/" + name).c_str(), dragRunPlain, pen)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("UndoFill/tilora", undoFill)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("UndoFill/floor", plainWrite)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Fill/tilora", fillRecorded)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Fill/floor", plainWrite)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Fill/naive", fillQueue)->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace tilora
