// The editor's heavy paths end to end, through the real windows (offscreen, handlers called
// directly, no event-loop waits): opening a 1000 x 1000 map, setting up a new 1000 x 1000 map,
// one continuous-painting step at cell sizes 1 and 32, and scrolling the largest view (the map
// window made as large as the screen allows) by one cell with the overview shown. Each beside its
// floor: reading and parsing the same file; filling the grid; one full redraw of the view.

#include "ScriptedDialogs.h"

#include "core/ChipRenderer.h"
#include "core/FileIO.h"
#include "core/MapFile.h"
#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "platform/BmpLoader.h"
#include "platform/PictureWidget.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

namespace tilora {
namespace {

struct Editor {
    int argc = 1;
    char arg0[8] = "bench";
    char* argv[2] = {arg0, nullptr};
    QTemporaryDir settings;
    std::unique_ptr<QApplication> qapp;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<Application> app;
    QString mapPath;
    QString sheetPath;

    Editor() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Settings the benchmarks change (the overview shown) stay out of the user's.
        qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
        qapp = std::make_unique<QApplication>(argc, argv);
        ScreenMetrics screen;
        screen.width = 1280;
        screen.height = 1024;
        screen.bitsPerPixel = 16; // the only depth the editor runs at
        app = std::make_unique<Application>(dialogs, screen);
        app->start();
        const QString dir = QDir::tempPath() + QStringLiteral("/tilora-editor-bench");
        QDir().mkpath(dir);
        sheetPath = dir + QStringLiteral("/sheet.bmp");
        mapPath = dir + QStringLiteral("/map.map");
        Bitmap sheet(256, 256);
        std::mt19937 rng(5);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                sheet.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
        imageFromBitmap(sheet).save(sheetPath, "BMP");
        MapContents map;
        map.sheetPath = "sheet.bmp";
        map.width = map.height = MaxMapSide;
        map.cells.resize(std::size_t(MaxMapSide) * MaxMapSide);
        for (auto& c : map.cells)
            c = std::int32_t(rng() % 64);
        (void)saveFileAtomically(mapPath.toStdString(), formatMapFile(map));
    }
};

Editor& editor() {
    static Editor e;
    return e;
}

void open(benchmark::State& bs) {
    Editor& e = editor();
    for (auto _ : bs) {
        e.dialogs.chooseFile(e.mapPath);
        e.app->MainWindow->LoadFileClick();
    }
    if (!e.dialogs.messages.empty())
        bs.SkipWithError(
            ("the load showed: " + e.dialogs.messages.front().text.toStdString()).c_str());
}

void openFloor(benchmark::State& bs) {
    const std::string path = editor().mapPath.toStdString();
    for (auto _ : bs) {
        auto bytes = readWholeFile(path);
        auto map = parseMapFile(*bytes);
        benchmark::DoNotOptimize(map);
    }
}

void newMap(benchmark::State& bs) {
    Editor& e = editor();
    TStartUpWindow& d = *e.app->StartUpWindow;
    e.app->State.MapModified = 0;
    d.showDialog();
    e.dialogs.chooseFile(e.sheetPath);
    d.Button2Click();
    for (auto _ : bs) {
        d.showDialog();
        d.Edit1->setText(QStringLiteral("1000"));
        d.Edit2->setText(QStringLiteral("1000"));
        d.Button1->click();
    }
    if (e.app->State.MapWidth != 1000) bs.SkipWithError("no new 1000 x 1000 map");
}

void newMapFloor(benchmark::State& bs) {
    EditorState& s = editor().app->State;
    for (auto _ : bs) {
        std::fill(s.MapCells.begin(), s.MapCells.end(), 0);
        benchmark::ClobberMemory();
    }
}

// One pointer move with the pen down: the pen's cells written and drawn, the view repainted.
void paintStep(benchmark::State& bs) {
    Editor& e = editor();
    EditorState& s = e.app->State;
    TMapWindow& m = *e.app->MapWindow;
    const int cellSize = int(bs.range(0));
    s.CellSize = cellSize;
    s.PenSize = 1;
    s.StampMode = 0;
    s.PenDragActive = 1;
    m.redrawView();
    const int cells = 320 / cellSize;
    int k = 0;
    for (auto _ : bs) {
        const int col = k % cells;
        const int row = (k / cells) % cells;
        ++k;
        m.Image1MouseMove(col * cellSize + cellSize / 2, row * cellSize + cellSize / 2);
    }
    s.PenDragActive = 0;
}

void fullRedrawFloor(benchmark::State& bs) {
    Editor& e = editor();
    e.app->State.CellSize = int(bs.range(0));
    for (auto _ : bs)
        e.app->Renderer.redrawView(e.app->MapWindow->Image1->bitmap(), e.app->State);
}

// One cell of the horizontal bar to the right (as a drag of its thumb) on the largest view, the
// overview shown: the view redrawn, the overview's rectangle moved, and both repainted through the
// event loop.
void scrollLargest(benchmark::State& bs) {
    Editor& e = editor();
    e.dialogs.chooseFile(e.mapPath);
    e.app->MainWindow->LoadFileClick();
    TMapWindow& m = *e.app->MapWindow;
    // The window's edge dragged as far as the screen lets it go.
    const QSize most = m.maximumSize();
    m.resize(most);
    QResizeEvent grown(most, m.size());
    QApplication::sendEvent(&m, &grown);
    e.app->setOverviewShown(true);
    QApplication::processEvents();
    const EditorState& s = e.app->State;
    const int columns = s.MapWidth - m.viewSize().columns(s.CellSize);
    bs.counters["view_w"] = m.Image1->bitmap().width();
    bs.counters["view_h"] = m.Image1->bitmap().height();
    int k = 0;
    for (auto _ : bs) {
        m.ScrollBar2->setSliderPosition((++k % columns) * s.CellSize);
        QApplication::processEvents();
    }
    e.app->setOverviewShown(false);
}

void scrollLargestFloor(benchmark::State& bs) {
    Editor& e = editor();
    for (auto _ : bs)
        e.app->Renderer.redrawView(e.app->MapWindow->Image1->bitmap(), e.app->State);
}

BENCHMARK(open)->Name("editor_open_1000x1000/tilora")->Unit(benchmark::kMillisecond);
BENCHMARK(openFloor)->Name("editor_open_1000x1000/floor")->Unit(benchmark::kMillisecond);
BENCHMARK(newMap)->Name("editor_new_1000x1000/tilora")->Unit(benchmark::kMillisecond);
BENCHMARK(newMapFloor)->Name("editor_new_1000x1000/floor")->Unit(benchmark::kMillisecond);
BENCHMARK(paintStep)->Name("editor_paint_step/tilora")->Arg(1)->Arg(32);
BENCHMARK(fullRedrawFloor)->Name("editor_paint_step/floor")->Arg(1)->Arg(32);
BENCHMARK(scrollLargest)->Name("editor_scroll_largest/tilora")->Unit(benchmark::kMillisecond);
BENCHMARK(scrollLargestFloor)->Name("editor_scroll_largest/floor")->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tilora
