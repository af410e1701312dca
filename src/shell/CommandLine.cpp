#include "shell/CommandLine.h"

#include "platform/Dialogs.h"
#include "shell/TiledOpen.h"

#include <QFile>

#include <algorithm>
#include <string_view>

namespace tilora {

namespace {

// The options QGuiApplication and QApplication take out of argv themselves, with one or two
// leading dashes; those in the first list take the next argument as their value.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "geometry",
    "qwindowtitle",
    "title",
    "qwindowicon",
    "icon",
    "session",
    "style",
    "stylesheet",
    "display",
    "name",
};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb",
                                         "testability"};
// Qt also takes these as "-name=value" in one argument.
constexpr std::string_view kQtJoinedOptions[] = {"style=", "stylesheet=", "qmljsdebugger="};

template <std::size_t N> bool listed(const std::string_view (&list)[N], std::string_view name) {
    return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

CommandLine refuse(std::string message) {
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.message = std::move(message) + "\nTry 'tilora --help' for more information.";
    return line;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const argv[]) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            const std::string_view name = arg.substr(arg.size() > 2 && arg[1] == '-' ? 2 : 1);
            if (listed(kQtFlags, name)) continue;
            if (std::any_of(std::begin(kQtJoinedOptions), std::end(kQtJoinedOptions),
                            [name](std::string_view o) { return name.starts_with(o); })) {
                continue;
            }
            if (listed(kQtOptionsWithValue, name)) {
                if (i + 1 >= argc)
                    return refuse("tilora: option '" + std::string(arg) + "' needs a value");
                ++i;
                continue;
            }
            return refuse("tilora: unknown option '" + std::string(arg) + "'");
        }
        if (!line.map.empty()) {
            return refuse("tilora: one map at a time: '" + std::string(arg) + "' is one too many");
        }
        // A Tiled map is opened as the open command opens it: imported, with no file name.
        const QString name = QFile::decodeName(argv[i]);
        if (!containsIgnoringAsciiCase(name, QLatin1String(".map")) && !hasTiledMark(name)) {
            return refuse("tilora: '" + std::string(arg) +
                          "' is not a map file: its name has no .map, .tmx or .tmj");
        }
        line.map = arg;
    }
    return line;
}

} // namespace tilora
