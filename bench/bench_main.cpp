// Runs every registered benchmark with the usual console output, then prints a summary that puts
// each of Tilora's figures beside its baselines.
//
// Naming convention for the summary: "<group>/<role>" or "<group>/<role>/<case>", where role is
//   tilora  - the editor's own code path,
//   floor   - the least the work can cost (a plain copy of the result's bytes, say),
//   naive   - the obvious way to write it (usually through Qt).
// A floor without a case applies to every case of its group. Benchmarks named otherwise run and
// are reported as usual but stay out of the summary.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Figure {
    std::string group;
    std::string role;
    std::string kase; // empty when the benchmark has no case
};

std::optional<Figure> parseName(const std::string& name) {
    const auto first = name.find('/');
    if (first == std::string::npos) return std::nullopt;
    const auto second = name.find('/', first + 1);
    Figure f{name.substr(0, first),
             name.substr(first + 1,
                         second == std::string::npos ? std::string::npos : second - first - 1),
             second == std::string::npos ? std::string() : name.substr(second + 1)};
    if (f.role != "tilora" && f.role != "floor" && f.role != "naive") return std::nullopt;
    // Settings the library appends ("/iterations:2", "/real_time") are not part of the case.
    if (const auto cut = f.kase.find_first_of(":/"); cut != std::string::npos) {
        const auto slash = f.kase.rfind('/', cut);
        f.kase = slash == std::string::npos ? std::string() : f.kase.substr(0, slash);
    }
    return f;
}

// CPU time, or wall time for a benchmark that asks for it (work spread over several threads).
double microseconds(const benchmark::BenchmarkReporter::Run& run) {
    const bool wall = run.run_name.str().find("/real_time") != std::string::npos;
    const double t = wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
    switch (run.time_unit) {
    case benchmark::kNanosecond:
        return t / 1e3;
    case benchmark::kMicrosecond:
        return t;
    case benchmark::kMillisecond:
        return t * 1e3;
    case benchmark::kSecond:
        return t * 1e6;
    }
    return t;
}

// Passes everything to the display reporter the command line chose and keeps the CPU time of each
// benchmark (the mean when repetitions are asked for).
class CollectingReporter : public benchmark::BenchmarkReporter {
  public:
    explicit CollectingReporter(benchmark::BenchmarkReporter* display) : display_(display) {}

    bool ReportContext(const Context& context) override { return display_->ReportContext(context); }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
            if (single || mean) times_[run.run_name.str()] = microseconds(run);
        }
        display_->ReportRuns(runs);
    }

    void Finalize() override { display_->Finalize(); }

    const std::map<std::string, double>& times() const { return times_; }

  private:
    benchmark::BenchmarkReporter* display_;
    std::map<std::string, double> times_;
};

void printSummary(const std::map<std::string, double>& times, std::FILE* out) {
    // group -> case -> role -> microseconds.
    std::map<std::string, std::vector<std::string>> cases;
    std::map<std::string, std::map<std::string, std::map<std::string, double>>> table;
    std::map<std::string, double> groupFloor;
    for (const auto& [name, us] : times) {
        const auto f = parseName(name);
        if (!f) continue;
        if (f->role == "floor" && f->kase.empty()) {
            groupFloor[f->group] = us;
            continue;
        }
        auto& row = table[f->group][f->kase];
        if (row.empty()) cases[f->group].push_back(f->kase);
        row[f->role] = us;
    }
    const auto cell = [](std::optional<double> v) {
        char buf[32];
        if (v)
            std::snprintf(buf, sizeof buf, "%12.2f", *v);
        else
            std::snprintf(buf, sizeof buf, "%12s", "-");
        return std::string(buf);
    };
    const auto ratio = [](std::optional<double> a, std::optional<double> b) {
        char buf[32];
        if (a && b && *b > 0)
            std::snprintf(buf, sizeof buf, "%10.2fx", *a / *b);
        else
            std::snprintf(buf, sizeof buf, "%11s", "-");
        return std::string(buf);
    };
    for (auto& entry : cases) {
        const std::string& group = entry.first;
        std::vector<std::string>& names = entry.second;
        // Numeric cases sort as numbers (cell sizes 1 < 2 < 16 < 64).
        std::stable_sort(names.begin(), names.end(),
                         [](const std::string& a, const std::string& b) {
                             const bool na = !a.empty() &&
                                             a.find_first_not_of("0123456789") == std::string::npos;
                             const bool nb = !b.empty() &&
                                             b.find_first_not_of("0123456789") == std::string::npos;
                             if (na && nb) return std::stoll(a) < std::stoll(b);
                             return na && !nb;
                         });
        std::fprintf(out, "\n%s (microseconds: CPU time, or wall time where marked real_time)\n",
                     group.c_str());
        std::fprintf(out, "%-10s %12s %12s %12s %11s %11s\n", "case", "tilora", "floor", "naive",
                     "tilora/flr", "naive/tilo");
        for (const std::string& k : names) {
            const auto& row = table[group][k];
            const auto get = [&](const char* role) -> std::optional<double> {
                if (auto it = row.find(role); it != row.end()) return it->second;
                if (std::string_view(role) == "floor") {
                    if (auto it = groupFloor.find(group); it != groupFloor.end()) return it->second;
                }
                return std::nullopt;
            };
            const auto t = get("tilora"), fl = get("floor"), nv = get("naive");
            std::fprintf(out, "%-10s %s %s %s %s %s\n", k.empty() ? "-" : k.c_str(),
                         cell(t).c_str(), cell(fl).c_str(), cell(nv).c_str(), ratio(t, fl).c_str(),
                         ratio(nv, t).c_str());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    // Machine-readable output on stdout must stay parseable: the summary then goes to stderr.
    bool machineFormat = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--benchmark_format=json" || arg == "--benchmark_format=csv")
            machineFormat = true;
    }
    // The editor's recovery copies go to a folder of this run's own, never the user's.
    std::string state = (std::filesystem::temp_directory_path() / "tilora-bench-XXXXXX").string();
    if (::mkdtemp(state.data())) ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CollectingReporter reporter(benchmark::CreateDefaultDisplayReporter());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::cout.flush();
    printSummary(reporter.times(), machineFormat ? stderr : stdout);
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(state, ignored);
    return 0;
}
