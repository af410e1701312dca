// tilora-cli's work inside one process, beside its floors: exporting a 1000 x 1000 map (the floor
// reads, parses and formats the same map without the sheet search, the sheet decode or the safe
// save), and the PNG of that map at cell size 8 (192 MB of pixels; the floor is zlib at level 1
// compressing as many bytes on one core, the naive way the same render through one zlib stream).
// Importing the same map back from Tiled's TMX and JSON (and the JSON gzipped) sits beside reading
// and parsing the map file itself, the same million numbers in the project's fastest reader.

#include "cli/Cli.h"
#include "cli/MapImage.h"
#include "cli/TmxWriter.h"
#include "core/FileIO.h"
#include "core/MapFile.h"
#include "core/SheetImage.h"

#include <benchmark/benchmark.h>

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tilora {
namespace {

struct CliFixture {
    std::string dir;
    std::string map;
    MapContents contents;
    Bitmap sheet;

    CliFixture() {
        const std::filesystem::path shm = "/dev/shm";
        dir = (std::filesystem::exists(shm) ? shm : std::filesystem::temp_directory_path()) /
              "tilora-cli-bench";
        std::filesystem::create_directories(dir);
        sheet = Bitmap(256, 256);
        std::mt19937 rng(9);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                sheet.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
        // A 24-bit bottom-up BMP of the sheet.
        std::string bmp(54, '\0');
        const auto le32 = [&bmp](std::size_t at, std::uint32_t v) {
            for (int k = 0; k < 4; ++k)
                bmp[at + std::size_t(k)] = char((v >> (8 * k)) & 0xFF);
        };
        bmp[0] = 'B', bmp[1] = 'M';
        le32(2, 54 + 256 * 256 * 3), le32(10, 54), le32(14, 40), le32(18, 256), le32(22, 256);
        bmp[26] = 1, bmp[28] = 24;
        for (int y = 255; y >= 0; --y)
            for (int x = 0; x < 256; ++x) {
                const Pixel p = sheet.pixel(x, y);
                bmp += char(p & 0xFF), bmp += char((p >> 8) & 0xFF), bmp += char((p >> 16) & 0xFF);
            }
        (void)saveFileAtomically(dir + "/sheet.bmp", bmp);
        contents.sheetPath = "sheet.bmp";
        contents.width = contents.height = MaxMapSide;
        contents.cells.resize(std::size_t(MaxMapSide) * MaxMapSide);
        for (auto& c : contents.cells)
            c = std::int32_t(rng() % 64);
        map = dir + "/map.map";
        (void)saveFileAtomically(map, formatMapFile(contents));
    }
};

const CliFixture& fixture() {
    static const CliFixture f;
    return f;
}

int runCli(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    std::ostringstream out, err;
    return cli::run(int(argv.size()), argv.data(), out, err);
}

void exportInProcess(benchmark::State& bs) {
    const CliFixture& f = fixture();
    for (auto _ : bs)
        if (runCli({"tilora-cli", "export", f.map, f.dir + "/out.tmx"}) != 0)
            bs.SkipWithError("export failed");
}

// TILORA_BENCH_MAP names another map file to read (the whole-process script's own).
void exportFloor(benchmark::State& bs) {
    const char* other = std::getenv("TILORA_BENCH_MAP");
    const std::string path = other ? other : fixture().map;
    cli::TmxTileset tileset{"sheet", "sheet.bmp", 256, 256};
    for (auto _ : bs) {
        auto bytes = readWholeFile(path);
        if (!bytes) return bs.SkipWithError("the map cannot be read");
        auto map = parseMapFile(*bytes);
        const cli::TmxDocument doc = cli::formatTmx(*map, tileset);
        benchmark::DoNotOptimize(doc.xml().data());
    }
}

void drainPng(benchmark::State& bs, int level) {
    const CliFixture& f = fixture();
    std::size_t bytes = 0;
    for (auto _ : bs) {
        const auto encoder = cli::makeMapImageEncoder(
            f.contents, f.sheet, 8, cli::RenderFilter::Box, cli::ImageFormat::Png, level);
        bytes = 0;
        for (std::string_view piece = encoder->next(); !piece.empty(); piece = encoder->next())
            bytes += piece.size();
    }
    bs.counters["png_MB"] = double(bytes) / 1e6;
}

void pngRender(benchmark::State& bs) {
    drainPng(bs, 1);
}

// zlib level 1 over 192 MB of varied pixels on one core: what one stream costs at best.
void pngFloor(benchmark::State& bs) {
    const CliFixture& f = fixture();
    const auto encoder = cli::makeMapImageEncoder(f.contents, f.sheet, 8, cli::RenderFilter::Box,
                                                  cli::ImageFormat::Bmp, 0);
    std::string pixels;
    for (std::string_view piece = encoder->next(); !piece.empty(); piece = encoder->next())
        pixels.append(piece);
    std::string out(compressBound(uLong(pixels.size())), '\0');
    for (auto _ : bs) {
        uLongf size = uLongf(out.size());
        compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(pixels.data()), uLong(pixels.size()), 1);
        benchmark::DoNotOptimize(size);
    }
}

// The fixture's map exported once in each of Tiled's formats (and the JSON gzipped).
std::string tiledCopy(const std::string& suffix) {
    const CliFixture& f = fixture();
    const std::string path = f.dir + "/map" + suffix;
    if (!std::filesystem::exists(path)) {
        const std::string plain = suffix == ".tmj.gz" ? f.dir + "/map.tmj" : path;
        if (runCli({"tilora-cli", "export", f.map, plain}) != 0) return {};
        if (suffix == ".tmj.gz") {
            auto bytes = readWholeFile(plain);
            if (!bytes) return {};
            gzFile gz = gzopen(path.c_str(), "wb");
            gzwrite(gz, bytes->data(), unsigned(bytes->size()));
            gzclose(gz);
        }
    }
    return path;
}

void importInProcess(benchmark::State& bs, const std::string& suffix) {
    const std::string in = tiledCopy(suffix);
    const std::string out = fixture().dir + "/back.map";
    for (auto _ : bs)
        if (in.empty() || runCli({"tilora-cli", "import", in, out}) != 0)
            return bs.SkipWithError("import failed");
}

void importFloor(benchmark::State& bs) {
    const std::string path = fixture().map;
    for (auto _ : bs) {
        auto bytes = readWholeFile(path);
        if (!bytes) return bs.SkipWithError("the map cannot be read");
        auto map = parseMapFile(*bytes);
        benchmark::DoNotOptimize(map->cells.data());
    }
}

BENCHMARK_CAPTURE(importInProcess, tmx, std::string(".tmx"))
    ->Name("cli_import_1000x1000/tilora/tmx")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(importInProcess, tmj, std::string(".tmj"))
    ->Name("cli_import_1000x1000/tilora/tmj")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(importInProcess, tmjgz, std::string(".tmj.gz"))
    ->Name("cli_import_1000x1000/tilora/tmj.gz")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(importFloor)->Name("cli_import_1000x1000/floor")->Unit(benchmark::kMillisecond);
BENCHMARK(exportInProcess)->Name("cli_export_1000x1000/tilora")->Unit(benchmark::kMillisecond);
BENCHMARK(exportFloor)->Name("cli_export_1000x1000/floor")->Unit(benchmark::kMillisecond);
BENCHMARK(pngRender)
    ->Name("cli_png_cell8/tilora")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(pngFloor)
    ->Name("cli_png_cell8/floor")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

} // namespace
} // namespace tilora
