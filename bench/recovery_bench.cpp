// What a recovery copy costs the editor's thread, for a 1000 x 1000 map with one cell changed
// since the last copy: the keeper's update (compare with the last copy, take a copy of the cells,
// hand it to the worker) beside the floor (one plain copy of the map's cells) and the naive way
// (format and safe-save the copy, fsync included, on the editor's thread). Painting has a frame,
// about 16,700 microseconds at 60 Hz; the update must stay well inside it, whatever the disk.
// Wall time: the worker writes beside the measured thread.

#include "core/FileIO.h"
#include "core/RecoveryKeeper.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace tilora {
namespace {

struct Fixture {
    EditorState state;
    std::string folder;

    Fixture() {
        state.MapWidth = state.MapHeight = MaxMapSide;
        state.SheetFileName = "/maps/sheet.bmp";
        state.MapModified = 1;
        std::mt19937 rng(1000);
        for (auto& c : state.MapCells)
            c = std::int32_t(rng() % 1000);
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tilora-bench-recovery-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
    }
    ~Fixture() { std::filesystem::remove_all(folder); }
    // One painted cell, somewhere else each time.
    void paint(std::int64_t n) {
        state.cell(int(n % MaxMapSide), int(n / MaxMapSide % MaxMapSide)) += 1;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void updateTilora(benchmark::State& bs) {
    Fixture& f = fixture();
    RecoveryKeeper keeper(f.folder);
    const RecoveryInfo info{"/maps/level.map", "/maps/sheet.bmp", ""};
    std::int64_t n = 0;
    for (auto _ : bs) {
        f.paint(n++);
        keeper.update(f.state, info);
    }
    // Untimed: the loop is over.
    keeper.flush();
    bs.counters["copies_written"] = keeper.writesDone();
    keeper.removeCopy();
    keeper.flush();
}

// The least a copy taken on the editor's thread can cost: the map's cells copied once.
void updateFloor(benchmark::State& bs) {
    Fixture& f = fixture();
    std::vector<std::int32_t> copy(std::size_t(MaxMapSide) * MaxMapSide);
    std::int64_t n = 0;
    for (auto _ : bs) {
        f.paint(n++);
        for (int row = 0; row < MaxMapSide; ++row) {
            const auto from = f.state.MapCells.begin() + std::ptrdiff_t(row) * GridSide;
            std::copy(from, from + MaxMapSide, copy.begin() + std::ptrdiff_t(row) * MaxMapSide);
        }
        benchmark::DoNotOptimize(copy.data());
    }
}

// Writing the copy where the change happens: the painting waits for the disk.
void updateNaive(benchmark::State& bs) {
    Fixture& f = fixture();
    const std::string path = f.folder + "/naive.map";
    std::int64_t n = 0;
    for (auto _ : bs) {
        f.paint(n++);
        if (!saveFileAtomically(path, formatMapFile(mapContentsFromState(f.state))))
            bs.SkipWithError("write failed");
    }
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("RecoveryCopy/tilora", updateTilora)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("RecoveryCopy/floor", updateFloor)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("RecoveryCopy/naive", updateNaive)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    return true;
}();

} // namespace
} // namespace tilora
