// Reading and writing a 1000 x 1000 map file (chips 0..999, about 3.9 MB): Tilora's reader and
// writer, the floor (one pass over the same bytes), and the naive way (string streams).

#include "core/MapFile.h"
#include "core/MapGrid.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

namespace tilora {
namespace {

struct MapFixture {
    MapContents contents;
    std::string bytes;

    MapFixture() {
        contents.sheetPath = "C:\\tiles\\sheet.bmp";
        contents.width = contents.height = MaxMapSide;
        contents.cells.resize(std::size_t(MaxMapSide) * MaxMapSide);
        std::mt19937 rng(1000);
        for (auto& c : contents.cells)
            c = std::int32_t(rng() % 1000);
        bytes = formatMapFile(contents);
    }
};

const MapFixture& fixture() {
    static const MapFixture f;
    return f;
}

void countBytes(benchmark::State& bs) {
    bs.SetBytesProcessed(std::int64_t(bs.iterations()) * std::int64_t(fixture().bytes.size()));
    bs.counters["cells"] = double(fixture().contents.cells.size());
}

void readTilora(benchmark::State& bs) {
    const std::string& bytes = fixture().bytes;
    for (auto _ : bs) {
        auto parsed = parseMapFile(bytes);
        if (!parsed) bs.SkipWithError(parsed.error().message.c_str());
        benchmark::DoNotOptimize(parsed);
    }
    countBytes(bs);
}

// The least any reader can do: look at every byte once.
void readFloor(benchmark::State& bs) {
    const std::string& bytes = fixture().bytes;
    for (auto _ : bs) {
        auto commas = std::count(bytes.begin(), bytes.end(), ',');
        benchmark::DoNotOptimize(commas);
    }
    countBytes(bs);
}

// The obvious reader: a string stream split at commas, each field through std::stoi.
void readNaive(benchmark::State& bs) {
    const std::string& bytes = fixture().bytes;
    for (auto _ : bs) {
        std::istringstream in(bytes);
        std::string field;
        std::getline(in, field, ','); // sheet path
        MapContents m;
        m.sheetPath = field;
        std::getline(in, field, ',');
        m.width = std::stoi(field);
        std::getline(in, field, ',');
        m.height = std::stoi(field);
        m.cells.resize(std::size_t(m.width) * m.height);
        for (auto& c : m.cells) {
            std::getline(in, field, ',');
            c = std::stoi(field); // skips the line break in front
        }
        benchmark::DoNotOptimize(m);
    }
    countBytes(bs);
}

void writeTilora(benchmark::State& bs) {
    const MapContents& contents = fixture().contents;
    for (auto _ : bs) {
        std::string out = formatMapFile(contents);
        benchmark::DoNotOptimize(out.data());
    }
    countBytes(bs);
}

// The least any writer can do: put the finished bytes into a new buffer once.
void writeFloor(benchmark::State& bs) {
    const std::string& bytes = fixture().bytes;
    for (auto _ : bs) {
        std::string out(bytes.size(), '\0');
        std::memcpy(out.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(out.data());
    }
    countBytes(bs);
}

// The obvious writer: a string stream.
void writeNaive(benchmark::State& bs) {
    const MapContents& m = fixture().contents;
    for (auto _ : bs) {
        std::ostringstream out;
        out << m.sheetPath << ",\r\n" << m.width << ",\r\n" << m.height << ",\r\n";
        const std::int32_t* cell = m.cells.data();
        for (int r = 0; r < m.height; ++r) {
            for (int c = 0; c < m.width; ++c)
                out << *cell++ << ',';
            out << "\r\n";
        }
        std::string s = out.str();
        benchmark::DoNotOptimize(s.data());
    }
    countBytes(bs);
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("MapRead/tilora", readTilora)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MapRead/floor", readFloor)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MapRead/naive", readNaive)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MapWrite/tilora", writeTilora)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MapWrite/floor", writeFloor)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MapWrite/naive", writeNaive)->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace tilora
