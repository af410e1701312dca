// Program entry: `tilora [MAP]`. The command line is decided before anything touches a display:
// --help and --version answer, a mistake is told on stderr with status 2; otherwise the
// application object with Qt's own dialogs, then the message loop.

#include "platform/Fonts.h"
#include "platform/Translations.h"
#include "platform/UiText.h"
#include "shell/Application.h"
#include "shell/ButtonPictures.h"
#include "shell/CommandLine.h"
#include "shell/GuardedApplication.h"
#include "shell/TMainWindow.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <exception>

namespace {

const char* const kUsage =
    "Usage: tilora [MAP]\n"
    "Tile map editor. MAP, a .map file, is opened once the windows are in\n"
    "place, as if it had been chosen with the Open Map command. A Tiled map\n"
    "(.tmx, .tmx.gz, .tmj, .tmj.gz) is imported as that command imports it.\n"
    "\n"
    "  -h, --help  print this text and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "Qt's own options (-platform NAME, -style NAME, -display NAME, ...) are\n"
    "passed on. Any other option is refused with exit status 2.\n";

} // namespace

int main(int argc, char* argv[]) {
    const tilora::CommandLine line = tilora::parseCommandLine(argc, argv);
    switch (line.action) {
    case tilora::CommandLine::Action::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case tilora::CommandLine::Action::Version:
        std::printf("tilora %s\n", TILORA_VERSION);
        return 0;
    case tilora::CommandLine::Action::Refuse:
        std::fprintf(stderr, "%s\n", line.message.c_str());
        return 2;
    case tilora::CommandLine::Action::Run:
        break;
    }
    tilora::GuardedApplication qapp(argc, argv);
    const tilora::Translations translations(tilora::translationsFolder(),
                                            tilora::LocaleEnvironment::fromProcess());
    // The title names the program on the task bar; it is not a display name, which the window
    // system would append to every window caption.
    QApplication::setApplicationName(tilora::ApplicationTitle);
    QApplication::setWindowIcon(tilora::applicationIcon());
    // The main window's close box decides when the program ends, not the last window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    tilora::registerFontSubstitutions();
    try {
        tilora::QtDialogs dialogs;
        // Creates MainWindow, TitleWindow, MapChipWindow, StartUpWindow, MapWindow and
        // StampWindow in this order; only the main window is shown.
        tilora::Application app(dialogs);
        // An open dialog hands over full paths, so a relative name is taken from the working
        // folder.
        if (!line.map.empty()) {
            app.MainWindow->MapToOpenAtStart =
                QFileInfo(QFile::decodeName(line.map.c_str())).absoluteFilePath();
        }
        app.start();
        QApplication::exec();
    } catch (const std::exception& e) {
        tilora::showEscapedError(tilora::describeError(e));
    } catch (...) {
        tilora::showEscapedError(
            tilora::uiText(QT_TRANSLATE_NOOP("tilora", "不明なエラーが発生しました。")));
    }
    return 0;
}
