// Program entry: the application object with Qt's own dialogs, then the message loop.

#include "platform/Fonts.h"
#include "shell/Application.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(tilora::ApplicationTitle);
    // The main window's close box decides when the program ends, not the last window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    tilora::registerFontSubstitutions();
    try {
        tilora::QtDialogs dialogs;
        tilora::Application app(dialogs);
        app.start();
        QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, tilora::ApplicationTitle, QString::fromUtf8(e.what()));
    }
    return 0;
}
