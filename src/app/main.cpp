// Program entry: the application object with Qt's own dialogs, then the message loop.

#include "platform/Fonts.h"
#include "shell/Application.h"
#include "shell/ButtonPictures.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <new>

namespace {

// An error that escapes a handler or start-up: its text in a box captioned with the
// application title, with the error icon.
void showEscapedError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, tilora::ApplicationTitle, text, QMessageBox::NoButton);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

QString describe(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e)) return QStringLiteral("メモリが足りません。");
    return QString::fromUtf8(e.what());
}

// Errors thrown inside an event handler end that handler only: they are shown and the message
// loop goes on, as it would for a failure reported by the window system.
class GuardedApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            report(describe(e));
        } catch (...) {
            report(QStringLiteral("不明なエラーが発生しました。"));
        }
        return false;
    }

  private:
    void report(const QString& text) {
        // A failure while the box itself is up is not shown again.
        if (reporting_) return;
        reporting_ = true;
        showEscapedError(text);
        reporting_ = false;
    }
    bool reporting_ = false;
};

} // namespace

int main(int argc, char* argv[]) {
    GuardedApplication qapp(argc, argv);
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
        showEscapedError(describe(e));
    } catch (...) {
        showEscapedError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return 0;
}
