#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/MapImage.h"
#include "cli/PngEncoder.h"
#include "core/PathText.h"
#include "core/Texts.h"

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

// The usage, one part per command, in English and marked for the catalogs.
constexpr const char* InfoUsage =
    I18N_NOOP("  tilora-cli info MAP [--sheet PATH]\n"
              "      Prints the chip sheet's path (as written and as found), the width, the\n"
              "      height, the smallest and the largest chip number, and the number of cells\n"
              "      whose chip is not on the sheet\n");
// info, render and export: a map whose sheet is missing can still be used.
constexpr const char* SheetUsage =
    I18N_NOOP("      --sheet PATH      the chip sheet to use when the map's own is not found\n");
constexpr const char* RenderUsage =
    I18N_NOOP("  tilora-cli render MAP OUT [options]\n"
              "  tilora-cli render MAP... --out-dir DIR [options]\n"
              "      Draws the whole map into one image, in the format of OUT's extension (.bmp\n"
              "      or .png) or --format (an OUT of - is standard output and needs --format).\n"
              "      With --out-dir, each map becomes DIR/NAME.png (.bmp with --format bmp)\n"
              "      --cell-size N     pixels per cell (1 to 64, default 32)\n"
              "      --filter box|and  how a cell is reduced: box (the default) averages the\n"
              "                        pixels, and ANDs them as the editor's view does\n"
              "      --format bmp|png  the image format\n"
              "      --png-level N     the PNG compression level (0 to 9, default 1: fastest)\n");
constexpr const char* ExportUsage =
    I18N_NOOP("  tilora-cli export MAP OUT.tmx|OUT.tmj\n"
              "  tilora-cli export MAP... --out-dir DIR [--format tmx|tmj]\n"
              "      Writes the map as a Tiled map, in the format of OUT's extension (JSON for\n"
              "      .tmj or .json, TMX otherwise) or --format (an OUT of - is standard output;\n"
              "      with --out-dir, each map becomes DIR/NAME.tmx or DIR/NAME.tmj)\n");
constexpr const char* ImportUsage =
    I18N_NOOP("  tilora-cli import IN.tmx OUT.map [options]\n"
              "      Turns a Tiled map (TMX or JSON, gzip-compressed too; orthogonal only) into\n"
              "      a map file (an OUT.map of - is standard output). Tiles that are not 32 x 32,\n"
              "      tilesets with spacing or margins, several tilesets and --flatten make the\n"
              "      chip sheet a generated PNG beside OUT.map (OUT-TILESET.png, or\n"
              "      OUT-chips.png for several)\n"
              "      --layer NAME      the tile layer to read (the first one by default)\n"
              "      --flatten         stacks every visible tile layer into one, making a chip\n"
              "                        of each combination of stacked tiles\n"
              "      --scale auto|N    enlarges the tiles N times to 32 x 32 (default auto: 4\n"
              "                        times for 8 pixels, 2 times for 16 pixels)\n"
              "      --sheet FILE.png  where the generated chip sheet is written\n");
constexpr const char* CommonUsage =
    I18N_NOOP("  tilora-cli --version\n"
              "      Prints the version\n"
              "  tilora-cli COMMAND --help\n"
              "      Prints how to use the command\n"
              "Exit status: 0 success, 1 an error (in a batch, any map that failed), 2 a usage\n"
              "error\n");

std::string usageFor(std::string_view command) {
    std::string text = i18n("Usage:\n");
    const std::string sheet = i18n(SheetUsage);
    if (command == "info") return text + i18n(InfoUsage) + sheet;
    if (command == "render") return text + i18n(RenderUsage) + sheet;
    if (command == "export") return text + i18n(ExportUsage) + sheet;
    if (command == "import") return text + i18n(ImportUsage);
    return text + i18n(InfoUsage) + i18n(RenderUsage) + i18n(ExportUsage) + sheet +
           i18n(ImportUsage) + i18n(CommonUsage);
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
            return UsageError{i18n("unknown option: %1", {arg})};
        if (eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
        } else {
            if (i + 1 == argc) return UsageError{i18n("%1 needs a value", {name})};
            value = argv[++i];
        }
        if (name == "--cell-size") {
            inv.cellSize = parseInt(value, 1, 64);
            if (!inv.cellSize)
                return UsageError{
                    i18n("--cell-size takes a whole number from 1 to 64: %1", {value})};
        } else if (name == "--png-level") {
            inv.pngLevel = parseInt(value, 0, 9);
            if (!inv.pngLevel)
                return UsageError{
                    i18n("--png-level takes a whole number from 0 to 9: %1", {value})};
        } else if (name == "--filter") {
            if (value == "box")
                inv.filter = RenderFilter::Box;
            else if (value == "and")
                inv.filter = RenderFilter::And;
            else
                return UsageError{i18n("--filter is box or and: %1", {value})};
        } else if (name == "--format") {
            inv.formatText = std::string(value);
        } else if (name == "--layer") {
            if (value.empty()) return UsageError{i18n("the value of %1 is empty", {name})};
            inv.import.tiled.layer = std::string(value);
            inv.importOption = true;
        } else if (name == "--sheet") {
            // import: where a generated sheet goes; info, render, export: the sheet to use when
            // the map's own is not found.
            if (value.empty()) return UsageError{i18n("the chip sheet of --sheet is empty")};
            inv.sheet = CliPath{std::string(value)};
            inv.import.sheet = std::string(value);
        } else if (name == "--scale") {
            const std::optional<int> factor = value == "auto" ? 0 : parseInt(value, 1, 32);
            if (!factor)
                return UsageError{
                    i18n("--scale is auto or a whole number from 1 to 32: %1", {value})};
            inv.import.tiled.scale = *factor;
            inv.importOption = true;
        } else {
            if (value.empty()) return UsageError{i18n("the folder of --out-dir is empty")};
            inv.outDir = std::string(value);
        }
    }
    if (inv.help || (inv.version && inv.command.empty())) return std::nullopt;
    if (inv.command.empty()) return UsageError{i18n("no command given")};
    if (!isKnown(inv.command)) return UsageError{i18n("unknown command: %1", {inv.command})};
    const bool render = inv.command == "render";
    const bool batch = render || inv.command == "export";
    // The format is an image's for render and a Tiled map's for export.
    if (inv.formatText && inv.command == "export") {
        if (*inv.formatText == "tmx")
            inv.tiledFormat = TiledOutput::Tmx;
        else if (*inv.formatText == "tmj")
            inv.tiledFormat = TiledOutput::Tmj;
        else
            return UsageError{i18n("the --format of export is tmx or tmj: %1", {*inv.formatText})};
    } else if (inv.formatText && render) {
        if (*inv.formatText == "bmp")
            inv.format = ImageFormat::Bmp;
        else if (*inv.formatText == "png")
            inv.format = ImageFormat::Png;
        else
            return UsageError{i18n("--format is bmp or png: %1", {*inv.formatText})};
    } else if (inv.formatText) {
        return UsageError{i18n("--format is an option of render and export only")};
    }
    if (inv.importOption && inv.command != "import")
        return UsageError{i18n("--layer, --flatten and --scale are options of import only")};
    if (inv.import.tiled.flatten && !inv.import.tiled.layer.empty())
        return UsageError{i18n("--layer and --flatten cannot be used together")};
    if ((inv.cellSize || inv.filter || inv.pngLevel) && !render)
        return UsageError{i18n("--cell-size, --filter and --png-level are options of render only")};
    if (inv.outDir && !batch)
        return UsageError{i18n("--out-dir is an option of render and export only")};
    if (inv.outDir) {
        if (inv.operands.empty())
            return UsageError{i18n("%1 needs one map or more", {inv.command})};
        return std::nullopt;
    }
    const std::size_t wanted = inv.command == "info" ? 1 : 2;
    if (inv.operands.size() != wanted)
        return UsageError{
            batch ? i18n("%1 needs %2 files (several maps with --out-dir)", {inv.command, wanted})
                  : i18n("%1 needs %2 files", {inv.command, wanted})};
    if (render && !inv.format && !imageFormatFor(inv.operands[1]))
        return UsageError{i18n("give the image format by the extension .bmp or .png, or with "
                               "--format: %1",
                               {inv.operands[1]})};
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
        err << "tilora-cli: " << fileError(input, i18n("not enough memory")).message << '\n';
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
        if (auto loaded = loadCliMap(map, SheetUse::Header)) {
            if (!loaded->sheetFoundAt.empty()) files.add(loaded->sheetFoundAt);
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
        err << "tilora-cli: " << i18n("%1: not a folder", {pathForMessage(dir)}) << '\n';
        return false;
    }
    fs::create_directories(dir, ec);
    if (ec) {
        err << "tilora-cli: "
            << i18n("%1: cannot make the folder: %2", {pathForMessage(dir), ec.message()}) << '\n';
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
            err << "tilora-cli: "
                << i18n("%1: a map of the same name came first and was written to %2",
                        {pathForMessage(input.bytes), pathForMessage(output.bytes)})
                << '\n';
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
