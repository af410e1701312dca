// Program entry: the application object with Qt's own dialogs, then the message loop.

#include "platform/Fonts.h"
#include "shell/Application.h"
#include "shell/ButtonPictures.h"
#include "shell/GuardedApplication.h"

#include <exception>

int main(int argc, char* argv[]) {
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
        app.start();
        QApplication::exec();
    } catch (const std::exception& e) {
        tilora::showEscapedError(tilora::describeError(e));
    } catch (...) {
        tilora::showEscapedError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return 0;
}
