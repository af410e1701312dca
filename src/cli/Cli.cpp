#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/MapImage.h"
#include "cli/PngEncoder.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifndef TILORA_VERSION
#define TILORA_VERSION "0"
#endif

namespace tilora::cli {

namespace {

constexpr std::string_view InfoUsage =
    "  tilora-cli info MAP\n"
    "      チップ画像のパス（書かれたものと見つかったもの）、幅、高さ、最小と最大のチップ番号、\n"
    "      チップ画像にないチップ番号のセルの数を表示する\n";
constexpr std::string_view RenderUsage =
    "  tilora-cli render MAP OUT [オプション]\n"
    "  tilora-cli render MAP... --out-dir DIR [オプション]\n"
    "      マップ全体を1枚の画像にする。形式は OUT の拡張子（.bmp / .png）か --format で決まる\n"
    "      （OUT が - なら標準出力、--format が必要）。--out-dir では各マップを DIR/名前.png\n"
    "      （--format bmp なら .bmp）にする\n"
    "      --cell-size N     1セルのピクセル数（1～64、既定 32）\n"
    "      --filter box|and  縮小のしかた。box（既定）は元の画素の平均、and はエディターの\n"
    "                        表示と同じ（画素の AND）\n"
    "      --format bmp|png  画像の形式\n"
    "      --png-level N     PNG の圧縮レベル（0～9、既定 1：速さ優先）\n";
constexpr std::string_view ExportUsage =
    "  tilora-cli export MAP OUT.tmx\n"
    "  tilora-cli export MAP... --out-dir DIR\n"
    "      Tiled の TMX マップとして書き出す（OUT.tmx が - なら標準出力、--out-dir では\n"
    "      各マップを DIR/名前.tmx にする）\n";
constexpr std::string_view ImportUsage =
    "  tilora-cli import IN.tmx OUT.map\n"
    "      Tiled の TMX マップ（正方向、32 x 32 のタイル、タイルレイヤーとタイルセット各1つ）を\n"
    "      マップデータにする（OUT.map が - なら標準出力）\n";
constexpr std::string_view CommonUsage =
    "  tilora-cli --version     版を表示する\n"
    "  tilora-cli COMMAND --help  コマンドの使い方を表示する\n"
    "終了コード: 0 成功、1 エラー（複数のマップではどれか1つでも失敗）、2 使い方の誤り\n";

std::string usageFor(std::string_view command) {
    std::string text = "使い方:\n";
    if (command == "info") return text + std::string(InfoUsage);
    if (command == "render") return text + std::string(RenderUsage);
    if (command == "export") return text + std::string(ExportUsage);
    if (command == "import") return text + std::string(ImportUsage);
    return text + std::string(InfoUsage) + std::string(RenderUsage) + std::string(ExportUsage) +
           std::string(ImportUsage) + std::string(CommonUsage);
}

struct Invocation {
    std::string_view command;
    std::vector<const char*> operands;
    std::optional<int> cellSize;
    std::optional<RenderFilter> filter;
    std::optional<ImageFormat> format;
    std::optional<int> pngLevel;
    std::optional<std::string> outDir;
    bool help = false;
    bool version = false;
};

struct UsageError {
    std::string reason;
};

std::optional<int> parseInt(std::string_view text, int low, int high) {
    int v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || ptr != text.data() + text.size() || v < low || v > high)
        return std::nullopt;
    return v;
}

bool isKnown(std::string_view command) {
    return command == "info" || command == "render" || command == "export" || command == "import";
}

// Options take their value as the next argument or after '='.
std::optional<UsageError> parseArguments(int argc, char** argv, Invocation& inv) {
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsDone || arg.size() < 2 || arg[0] != '-') {
            if (inv.command.empty())
                inv.command = arg;
            else
                inv.operands.push_back(argv[i]);
            continue;
        }
        if (arg == "--") {
            optionsDone = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            inv.help = true;
            continue;
        }
        if (arg == "--version") {
            inv.version = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        std::string_view value;
        if (name != "--cell-size" && name != "--filter" && name != "--format" &&
            name != "--png-level" && name != "--out-dir")
            return UsageError{"不明なオプションです：" + std::string(arg)};
        if (eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
        } else {
            if (i + 1 == argc) return UsageError{std::string(name) + " の後に値がありません"};
            value = argv[++i];
        }
        if (name == "--cell-size") {
            inv.cellSize = parseInt(value, 1, 64);
            if (!inv.cellSize)
                return UsageError{"--cell-size は 1～64 の整数です：" + std::string(value)};
        } else if (name == "--png-level") {
            inv.pngLevel = parseInt(value, 0, 9);
            if (!inv.pngLevel)
                return UsageError{"--png-level は 0～9 の整数です：" + std::string(value)};
        } else if (name == "--filter") {
            if (value == "box")
                inv.filter = RenderFilter::Box;
            else if (value == "and")
                inv.filter = RenderFilter::And;
            else
                return UsageError{"--filter は box か and です：" + std::string(value)};
        } else if (name == "--format") {
            if (value == "bmp")
                inv.format = ImageFormat::Bmp;
            else if (value == "png")
                inv.format = ImageFormat::Png;
            else
                return UsageError{"--format は bmp か png です：" + std::string(value)};
        } else {
            if (value.empty()) return UsageError{"--out-dir のフォルダーが空です"};
            inv.outDir = std::string(value);
        }
    }
    if (inv.help || (inv.version && inv.command.empty())) return std::nullopt;
    if (inv.command.empty()) return UsageError{"コマンドがありません"};
    if (!isKnown(inv.command)) return UsageError{"不明なコマンドです：" + std::string(inv.command)};
    const bool render = inv.command == "render";
    const bool batch = render || inv.command == "export";
    if ((inv.cellSize || inv.filter || inv.format || inv.pngLevel) && !render)
        return UsageError{
            "--cell-size、--filter、--format、--png-level は render だけのオプションです"};
    if (inv.outDir && !batch)
        return UsageError{"--out-dir は render と export だけのオプションです"};
    if (inv.outDir) {
        if (inv.operands.empty())
            return UsageError{std::string(inv.command) + " にはマップが 1 つ以上必要です"};
        return std::nullopt;
    }
    const std::size_t wanted = inv.command == "info" ? 1 : 2;
    if (inv.operands.size() != wanted)
        return UsageError{std::string(inv.command) + " にはファイルが " + std::to_string(wanted) +
                          " つ必要です" + (batch ? "（複数のマップは --out-dir で）" : "")};
    if (render && !inv.format && !imageFormatFor(inv.operands[1]))
        return UsageError{"画像の形式は拡張子 .bmp か .png、または --format で指定してください：" +
                          std::string(inv.operands[1])};
    return std::nullopt;
}

RenderOptions renderOptions(const Invocation& inv, std::string_view output) {
    RenderOptions o;
    o.format = inv.format ? *inv.format : imageFormatFor(output).value_or(ImageFormat::Png);
    o.cellSize = inv.cellSize.value_or(DefaultRenderCellSize);
    o.filter = inv.filter.value_or(RenderFilter::Box);
    o.pngLevel = inv.pngLevel.value_or(DefaultPngLevel);
    return o;
}

Status runOne(const Invocation& inv, const CliPath& input, const CliPath& output, std::ostream& out,
              std::ostream& err) {
    if (inv.command == "info") return runInfo(input, out, err);
    if (inv.command == "render")
        return runRender(input, output, renderOptions(inv, output.bytes), out);
    if (inv.command == "export") return runExport(input, output, out, err);
    return runImport(input, output, out, err);
}

// Runs one map, turning a failure (and running out of memory) into one line on err.
bool runReported(const Invocation& inv, const CliPath& input, const CliPath& output,
                 std::ostream& out, std::ostream& err) {
    try {
        const Status status = runOne(inv, input, output, out, err);
        if (status) return true;
        err << "tilora-cli: " << status.error().message << '\n';
    } catch (const std::bad_alloc&) {
        err << "tilora-cli: " << input.bytes << ": メモリが足りません\n";
    } catch (const std::exception& e) {
        err << "tilora-cli: " << input.bytes << ": " << e.what() << '\n';
    }
    return false;
}

// The output folder of a batch, made (with any missing parents) when it is not there yet. A name
// that is taken by something other than a folder, or a folder that cannot be made, is one
// refusal for the whole batch, before any map is read.
bool prepareOutDir(const std::string& dir, std::ostream& err) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(dir, ec);
    if (fs::is_directory(st)) return true;
    if (fs::exists(st)) {
        err << "tilora-cli: " << dir << ": フォルダーではありません\n";
        return false;
    }
    fs::create_directories(dir, ec);
    if (ec) {
        err << "tilora-cli: " << dir << ": フォルダーを作れません：" << ec.message() << '\n';
        return false;
    }
    return true;
}

// One output per map, named after it, in the folder; a failing map does not stop the others.
bool runBatch(const Invocation& inv, std::ostream& out, std::ostream& err) {
    if (!prepareOutDir(*inv.outDir, err)) return false;
    const std::string extension =
        inv.command == "export" ? ".tmx" : (inv.format == ImageFormat::Bmp ? ".bmp" : ".png");
    bool allOk = true;
    std::set<std::string> written;
    for (const char* operand : inv.operands) {
        const CliPath input = CliPath::fromArgument(operand);
        const std::string stem = std::filesystem::path(input.bytes).stem().string();
        const CliPath output{(std::filesystem::path(*inv.outDir) / (stem + extension)).string()};
        // Two maps of one name from different folders would write the same file.
        if (!written.insert(output.bytes).second) {
            err << "tilora-cli: " << input.bytes << ": 同じ名前のマップが先にあり、" << output.bytes
                << " に書き出し済みです\n";
            allOk = false;
            continue;
        }
        allOk = runReported(inv, input, output, out, err) && allOk;
    }
    return allOk;
}

} // namespace

int run(int argc, char** argv, std::ostream& out, std::ostream& err) {
    Invocation inv;
    if (auto bad = parseArguments(argc, argv, inv)) {
        err << "tilora-cli: " << bad->reason << '\n' << usageFor(inv.command);
        return 2;
    }
    if (inv.help) {
        out << usageFor(isKnown(inv.command) ? inv.command : std::string_view());
        return 0;
    }
    if (inv.version) {
        out << "tilora-cli " TILORA_VERSION "\n";
        return 0;
    }
    if (inv.outDir) return runBatch(inv, out, err) ? 0 : 1;
    const CliPath input = CliPath::fromArgument(inv.operands[0]);
    const CliPath output =
        inv.operands.size() > 1 ? CliPath::fromArgument(inv.operands[1]) : CliPath{};
    return runReported(inv, input, output, out, err) ? 0 : 1;
}

} // namespace tilora::cli
