#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/MapImage.h"

#include <charconv>
#include <exception>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tilora::cli {

namespace {

constexpr std::string_view Usage =
    "使い方:\n"
    "  tilora-cli info MAP\n"
    "      チップ画像のパス（書かれたものと見つかったもの）、幅、高さ、最小と最大のチップ番号、\n"
    "      チップ画像にないチップ番号のセルの数を表示する\n"
    "  tilora-cli render MAP OUT.png|OUT.bmp [--cell-size N]\n"
    "      マップ全体を1枚の画像にする（1セル N ピクセル、N = 1, 2, 4, 8, 16, 32, 64、既定 32）\n"
    "  tilora-cli export MAP OUT.tmx\n"
    "      Tiled の TMX マップとして書き出す\n"
    "  tilora-cli import IN.tmx OUT.map\n"
    "      Tiled の TMX マップ（正方向、32 x 32 のタイル、タイルレイヤーとタイルセット各1つ）を\n"
    "      マップデータにする\n"
    "終了コード: 0 成功、1 エラー、2 使い方の誤り\n";

struct Invocation {
    std::string_view command;
    std::vector<const char*> operands;
    std::optional<int> cellSize;
    bool help = false;
};

struct UsageError {
    std::string reason;
};

std::optional<int> parseCellSize(std::string_view text) {
    int v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || ptr != text.data() + text.size() || !isCellSize(v))
        return std::nullopt;
    return v;
}

std::optional<UsageError> parseArguments(int argc, char** argv, Invocation& inv) {
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--") {
                optionsDone = true;
            } else if (arg == "-h" || arg == "--help") {
                inv.help = true;
            } else if (arg == "--cell-size" || arg.starts_with("--cell-size=")) {
                std::string_view value;
                if (arg == "--cell-size") {
                    if (i + 1 == argc) return UsageError{"--cell-size の後に値がありません"};
                    value = argv[++i];
                } else {
                    value = arg.substr(std::string_view("--cell-size=").size());
                }
                inv.cellSize = parseCellSize(value);
                if (!inv.cellSize)
                    return UsageError{"--cell-size は 1, 2, 4, 8, 16, 32, 64 のどれかです：" +
                                      std::string(value)};
            } else {
                return UsageError{"不明なオプションです：" + std::string(arg)};
            }
        } else if (inv.command.empty()) {
            inv.command = arg;
        } else {
            inv.operands.push_back(argv[i]);
        }
    }
    if (inv.help) return std::nullopt;
    if (inv.command.empty()) return UsageError{"コマンドがありません"};
    const bool known = inv.command == "info" || inv.command == "render" ||
                       inv.command == "export" || inv.command == "import";
    if (!known) return UsageError{"不明なコマンドです：" + std::string(inv.command)};
    const std::size_t wanted = inv.command == "info" ? 1 : 2;
    if (inv.operands.size() != wanted)
        return UsageError{std::string(inv.command) + " にはファイルが " + std::to_string(wanted) +
                          " つ必要です"};
    if (inv.cellSize && inv.command != "render")
        return UsageError{"--cell-size は render だけのオプションです"};
    if (inv.command == "render" && !imageFormatFor(inv.operands[1]))
        return UsageError{"画像の形式は拡張子 .bmp か .png で指定してください：" +
                          std::string(inv.operands[1])};
    return std::nullopt;
}

Status dispatch(const Invocation& inv, std::ostream& out, std::ostream& err) {
    const CliPath first = CliPath::fromArgument(inv.operands[0]);
    if (inv.command == "info") return runInfo(first, out, err);
    const CliPath second = CliPath::fromArgument(inv.operands[1]);
    if (inv.command == "render")
        return runRender(first, second, *imageFormatFor(inv.operands[1]),
                         inv.cellSize.value_or(DefaultRenderCellSize));
    if (inv.command == "export") return runExport(first, second, err);
    return runImport(first, second, err);
}

} // namespace

int run(int argc, char** argv, std::ostream& out, std::ostream& err) {
    Invocation inv;
    if (auto bad = parseArguments(argc, argv, inv)) {
        err << "tilora-cli: " << bad->reason << '\n' << Usage;
        return 2;
    }
    if (inv.help) {
        out << Usage;
        return 0;
    }
    try {
        const Status status = dispatch(inv, out, err);
        if (!status) {
            err << "tilora-cli: " << status.error().message << '\n';
            return 1;
        }
        return 0;
    } catch (const std::bad_alloc&) {
        err << "tilora-cli: メモリが足りません\n";
    } catch (const std::exception& e) {
        err << "tilora-cli: " << e.what() << '\n';
    }
    return 1;
}

} // namespace tilora::cli
