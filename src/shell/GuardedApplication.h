#pragma once
// The editor's application instance: an error thrown inside an event handler ends that handler
// only. It is shown and the message loop goes on, as it would for a failure reported by the
// window system.

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

namespace tilora {

// The text shown for an error: its own message, or a plain one for running out of memory.
QString describeError(const std::exception& e);
// An error's text in a box captioned with the application title, with the error icon.
void showEscapedError(const QString& text);

class GuardedApplication : public QApplication {
  public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error that escaped a handler; tests put a recorder in its place.
    std::function<void(const QString&)> reportError = showEscapedError;

  private:
    void report(const QString& text);
    bool reporting_ = false;
};

} // namespace tilora
