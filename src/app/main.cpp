// Program entry: `tilora [MAP]`. --help and --version answer before anything touches a display;
// otherwise the application object with Qt's own dialogs, then the message loop.

#include "platform/Fonts.h"
#include "shell/Application.h"
#include "shell/ButtonPictures.h"
#include "shell/GuardedApplication.h"
#include "shell/TMainWindow.h"

#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

const char* const kUsage = "Usage: tilora [MAP]\n"
                           "Tile map editor. MAP, a .map file, is opened once the windows are in\n"
                           "place, as if it had been chosen with \"マップの読み込み\".\n"
                           "\n"
                           "  --help     print this text and exit\n"
                           "  --version  print the version and exit\n";

// Answers --help and --version; returns true when the program should end at once.
bool answeredWithoutWindows(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tilora %s\n", TILORA_VERSION);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (answeredWithoutWindows(argc, argv)) return 0;
    tilora::GuardedApplication qapp(argc, argv);
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
        // Qt has taken its own options out; the first remaining argument names the map. An open
        // dialog hands over full paths, so a relative name is taken from the working folder.
        const QStringList args = QApplication::arguments();
        if (args.size() > 1)
            app.MainWindow->MapToOpenAtStart = QFileInfo(args[1]).absoluteFilePath();
        app.start();
        QApplication::exec();
    } catch (const std::exception& e) {
        tilora::showEscapedError(tilora::describeError(e));
    } catch (...) {
        tilora::showEscapedError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return 0;
}
