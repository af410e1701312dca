#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/MapImage.h"
#include "cli/PngEncoder.h"
#include "core/PathText.h"
#include "core/SheetLocator.h"

#include <sys/stat.h>

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
    "  tilora-cli info MAP [--sheet PATH]\n"
    "      チップ画像のパス（書かれたものと見つかったもの）、幅、高さ、最小と最大のチップ番号、\n"
    "      チップ画像にないチップ番号のセルの数を表示する\n";
// info, render and export: a map whose sheet is missing can still be used.
constexpr std::string_view SheetUsage =
    "      --sheet PATH      マップのチップ画像が見つからないときに使うチップ画像\n";
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
    "  tilora-cli export MAP OUT.tmx|OUT.tmj\n"
    "  tilora-cli export MAP... --out-dir DIR [--format tmx|tmj]\n"
    "      Tiled のマップとして書き出す。形式は OUT の拡張子（.tmj / .json なら JSON、ほかは\n"
    "      TMX）か --format で決まる（OUT が - なら標準出力、--out-dir では各マップを\n"
    "      DIR/名前.tmx か DIR/名前.tmj にする）\n";
constexpr std::string_view ImportUsage =
    "  tilora-cli import IN.tmx OUT.map [オプション]\n"
    "      Tiled のマップ（TMX か JSON、gzip 圧縮も可。正方向のみ）をマップデータにする\n"
    "      （OUT.map が - なら標準出力）。32 x 32 でないタイル、間隔や余白のあるタイルセット、\n"
    "      複数のタイルセット、--flatten では、チップ画像を PNG で生成して OUT.map の横に置く\n"
    "      （OUT-タイルセット名.png、複数なら OUT-chips.png）\n"
    "      --layer NAME      読み込むタイルレイヤー（既定は最初のタイルレイヤー）\n"
    "      --flatten         表示されているタイルレイヤーをすべて重ねて1枚にする。重なった\n"
    "                        タイルの組み合わせごとにチップを作る\n"
    "      --scale auto|N    タイルを N 倍に拡大して 32 x 32 にする（既定 auto：8 ピクセルなら\n"
    "                        4 倍、16 ピクセルなら 2 倍）\n"
    "      --sheet FILE.png  生成するチップ画像の置き場所\n";
constexpr std::string_view CommonUsage =
    "  tilora-cli --version     版を表示する\n"
    "  tilora-cli COMMAND --help  コマンドの使い方を表示する\n"
    "終了コード: 0 成功、1 エラー（複数のマップではどれか1つでも失敗）、2 使い方の誤り\n";

std::string usageFor(std::string_view command) {
    std::string text = "使い方:\n";
    const std::string sheet(SheetUsage);
    if (command == "info") return text + std::string(InfoUsage) + sheet;
    if (command == "render") return text + std::string(RenderUsage) + sheet;
    if (command == "export") return text + std::string(ExportUsage) + sheet;
    if (command == "import") return text + std::string(ImportUsage);
    return text + std::string(InfoUsage) + std::string(RenderUsage) + std::string(ExportUsage) +
           sheet + std::string(ImportUsage) + std::string(CommonUsage);
}

struct Invocation {
    std::string_view command;
    std::vector<const char*> operands;
    std::optional<int> cellSize;
    std::optional<RenderFilter> filter;
    std::optional<ImageFormat> format;
    std::optional<TiledOutput> tiledFormat;
    std::optional<std::string> formatText;
    ImportOptions import;
    bool importOption = false;
    std::optional<int> pngLevel;
    std::optional<std::string> outDir;
    std::optional<CliPath> sheet;
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
        if (arg == "--flatten") {
            inv.import.tiled.flatten = true;
            inv.importOption = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        std::string_view value;
        if (name != "--cell-size" && name != "--filter" && name != "--format" &&
            name != "--png-level" && name != "--out-dir" && name != "--layer" &&
            name != "--scale" && name != "--sheet")
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
            inv.formatText = std::string(value);
        } else if (name == "--layer") {
            if (value.empty()) return UsageError{std::string(name) + " の値が空です"};
            inv.import.tiled.layer = std::string(value);
            inv.importOption = true;
        } else if (name == "--sheet") {
            // import: where a generated sheet goes; info, render, export: the sheet to use when
            // the map's own is not found.
            if (value.empty()) return UsageError{"--sheet のチップ画像が空です"};
            inv.sheet = CliPath{std::string(value)};
            inv.import.sheet = std::string(value);
        } else if (name == "--scale") {
            const std::optional<int> factor = value == "auto" ? 0 : parseInt(value, 1, 32);
            if (!factor)
                return UsageError{"--scale は auto か 1～32 の整数です：" + std::string(value)};
            inv.import.tiled.scale = *factor;
            inv.importOption = true;
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
    // The format is an image's for render and a Tiled map's for export.
    if (inv.formatText && inv.command == "export") {
        if (*inv.formatText == "tmx")
            inv.tiledFormat = TiledOutput::Tmx;
        else if (*inv.formatText == "tmj")
            inv.tiledFormat = TiledOutput::Tmj;
        else
            return UsageError{"export の --format は tmx か tmj です：" + *inv.formatText};
    } else if (inv.formatText && render) {
        if (*inv.formatText == "bmp")
            inv.format = ImageFormat::Bmp;
        else if (*inv.formatText == "png")
            inv.format = ImageFormat::Png;
        else
            return UsageError{"--format は bmp か png です：" + *inv.formatText};
    } else if (inv.formatText) {
        return UsageError{"--format は render と export だけのオプションです"};
    }
    if (inv.importOption && inv.command != "import")
        return UsageError{"--layer、--flatten、--scale は import だけのオプションです"};
    if (inv.import.tiled.flatten && !inv.import.tiled.layer.empty())
        return UsageError{"--layer と --flatten は一緒に使えません"};
    if ((inv.cellSize || inv.filter || inv.pngLevel) && !render)
        return UsageError{"--cell-size、--filter、--png-level は render だけのオプションです"};
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
    const CliPath* sheet = inv.sheet ? &*inv.sheet : nullptr;
    if (inv.command == "info") return runInfo(input, out, err, sheet);
    if (inv.command == "render")
        return runRender(input, output, renderOptions(inv, output.bytes), out, sheet);
    if (inv.command == "export")
        return runExport(input, output, inv.tiledFormat.value_or(tiledOutputFor(output.bytes)), out,
                         err, sheet);
    return runImport(input, output, inv.import, out, err);
}

// Runs one map, turning a failure (and running out of memory) into one line on err.
bool runReported(const Invocation& inv, const CliPath& input, const CliPath& output,
                 std::ostream& out, std::ostream& err) {
    try {
        const Status status = runOne(inv, input, output, out, err);
        if (status) return true;
        err << "tilora-cli: " << status.error().message << '\n';
    } catch (const std::bad_alloc&) {
        err << "tilora-cli: " << fileError(input, "メモリが足りません").message << '\n';
    } catch (const std::exception& e) {
        err << "tilora-cli: " << fileError(input, e.what()).message << '\n';
    }
    return false;
}

// Every map of a batch and every sheet they use: an output landing on any of them would replace
// a file the batch has still to read (or has read).
InputFiles batchInputs(const Invocation& inv) {
    InputFiles files;
    for (const char* operand : inv.operands) {
        const CliPath map = CliPath::fromArgument(operand);
        files.add(map.bytes);
        if (auto contents = loadMapFile(map)) {
            const SheetLocation sheet = locateSheet(contents->sheetPath, map.bytes);
            if (sheet.found()) files.add(sheet.path);
        }
    }
    return files;
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
        err << "tilora-cli: " << pathForMessage(dir) << ": フォルダーではありません\n";
        return false;
    }
    fs::create_directories(dir, ec);
    if (ec) {
        err << "tilora-cli: " << pathForMessage(dir) << ": フォルダーを作れません：" << ec.message()
            << '\n';
        return false;
    }
    return true;
}

// One output per map, named after it, in the folder; a failing map does not stop the others.
bool runBatch(const Invocation& inv, std::ostream& out, std::ostream& err) {
    if (!prepareOutDir(*inv.outDir, err)) return false;
    const std::string extension = inv.command == "export"
                                      ? (inv.tiledFormat == TiledOutput::Tmj ? ".tmj" : ".tmx")
                                      : (inv.format == ImageFormat::Bmp ? ".bmp" : ".png");
    bool allOk = true;
    std::set<std::string> written;
    // Gathered only when an output already exists: a new file cannot replace anything.
    std::optional<InputFiles> inputs;
    for (const char* operand : inv.operands) {
        const CliPath input = CliPath::fromArgument(operand);
        const std::string stem = std::filesystem::path(input.bytes).stem().string();
        const CliPath output{(std::filesystem::path(*inv.outDir) / (stem + extension)).string()};
        // Two maps of one name from different folders would write the same file.
        if (!written.insert(output.bytes).second) {
            err << "tilora-cli: " << pathForMessage(input.bytes) << ": 同じ名前のマップが先にあり、"
                << pathForMessage(output.bytes) << " に書き出し済みです\n";
            allOk = false;
            continue;
        }
        struct stat existing {};
        if (::stat(output.bytes.c_str(), &existing) == 0) {
            if (!inputs) inputs = batchInputs(inv);
            if (auto refused = inputs->checkOutput(output); !refused) {
                err << "tilora-cli: " << refused.error().message << '\n';
                allOk = false;
                continue;
            }
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
