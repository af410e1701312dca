// Full redraw of the 320 x 320 map view at every cell size: Tilora's renderer, the floor (copying
// one finished frame), and the naive way (QPainter drawing every cell from the sheet image). The
// same for a view of 1280 x 960 (the map window made larger), beside the copy of its own pixels.

#include "core/ChipRenderer.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace tilora {
namespace {

constexpr int SheetSide = 256;
constexpr int SheetChips = (SheetSide / ChipPixels) * (SheetSide / ChipPixels);
constexpr int CellSizes[] = {1, 2, 4, 8, 16, 32, 64};

// A generated 256 x 256 sheet of 64 chips and a 1000 x 1000 map of random chips from it.
struct Scene {
    Bitmap sheet{SheetSide, SheetSide};
    QImage sheetImage;
    std::unique_ptr<EditorState> state = std::make_unique<EditorState>();

    Scene() {
        std::mt19937 rng(20240601);
        for (int y = 0; y < SheetSide; ++y)
            for (int x = 0; x < SheetSide; ++x)
                sheet.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
        sheetImage = QImage(reinterpret_cast<const uchar*>(sheet.data()), SheetSide, SheetSide,
                            SheetSide * int(sizeof(Pixel)), QImage::Format_RGB32)
                         .copy();
        for (auto& c : state->MapCells)
            c = std::int32_t(rng() % SheetChips);
        state->MapWidth = state->MapHeight = GridSide;
        state->SheetColumns = SheetSide / ChipPixels;
        state->ViewCol = 123;
        state->ViewRow = 456;
    }
};

const Scene& scene() {
    static const Scene s;
    return s;
}

// The larger view: 1280 x 960 pixels.
constexpr int LargeWidth = 1280;
constexpr int LargeHeight = 960;

void setCells(benchmark::State& bs, int cellSize, int width = ViewPixels, int height = ViewPixels) {
    const int columns = width / cellSize;
    const int rows = height / cellSize;
    bs.counters["cells"] = double(columns) * rows;
    bs.SetBytesProcessed(std::int64_t(bs.iterations()) * width * height * sizeof(Pixel));
}

void tiloraRedraw(benchmark::State& bs, int cellSize, int width, int height) {
    const Scene& sc = scene();
    EditorState& state = *sc.state; // the scene's state is only read, apart from the cell size
    state.CellSize = cellSize;
    ChipRenderer renderer;
    renderer.setSheet(&sc.sheet);
    Bitmap view(width, height);
    renderer.redrawView(view, state); // builds the cache once, as the first redraw would
    for (auto _ : bs) {
        renderer.redrawView(view, state);
        benchmark::DoNotOptimize(view.data());
        benchmark::ClobberMemory();
    }
    setCells(bs, cellSize, width, height);
}

void frameCopy(benchmark::State& bs, int width, int height) {
    const Bitmap from(width, height, 0xFF336699u);
    Bitmap to(width, height);
    for (auto _ : bs) {
        std::memcpy(to.data(), from.data(), std::size_t(width) * height * sizeof(Pixel));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    bs.SetBytesProcessed(std::int64_t(bs.iterations()) * width * height * sizeof(Pixel));
}

void qpainterRedraw(benchmark::State& bs, int cellSize) {
    const Scene& sc = scene();
    const EditorState& state = *sc.state;
    const int n = ViewPixels / cellSize;
    const int columns = state.SheetColumns;
    QImage view(ViewPixels, ViewPixels, QImage::Format_RGB32);
    for (auto _ : bs) {
        QPainter painter(&view);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const std::int32_t c = state.cell(state.ViewRow + i, state.ViewCol + j);
                painter.drawImage(QRect(j * cellSize, i * cellSize, cellSize, cellSize),
                                  sc.sheetImage,
                                  QRect((c % columns) * ChipPixels, (c / columns) * ChipPixels,
                                        ChipPixels, ChipPixels));
            }
        }
        painter.end();
        benchmark::DoNotOptimize(view.constBits());
        benchmark::ClobberMemory();
    }
    setCells(bs, cellSize);
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("Render/floor", frameCopy, ViewPixels, ViewPixels)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("RenderLarge/floor", frameCopy, LargeWidth, LargeHeight)
        ->Unit(benchmark::kMicrosecond);
    for (int size : CellSizes) {
        const std::string name = std::to_string(size);
        benchmark::RegisterBenchmark(("Render/tilora/" + name).c_str(), tiloraRedraw, size,
                                     ViewPixels, ViewPixels)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("RenderLarge/tilora/" + name).c_str(), tiloraRedraw, size,
                                     LargeWidth, LargeHeight)
            ->Unit(benchmark::kMicrosecond);
    }
    for (int size : CellSizes) {
        const std::string name = std::to_string(size);
        benchmark::RegisterBenchmark(("Render/naive/" + name).c_str(), qpainterRedraw, size)
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

} // namespace
} // namespace tilora
