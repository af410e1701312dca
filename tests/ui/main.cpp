// One application instance for the whole UI suite, the editor's guarded one, on the offscreen
// platform unless told otherwise. An error escaping a handler fails the test that caused it.

#include "platform/Fonts.h"
#include "shell/GuardedApplication.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The editor's remembered settings go to a folder of the suite's own, never the user's.
    const QTemporaryDir settings;
    setenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit().constData(), 1);
    tilora::GuardedApplication app(argc, argv);
    app.reportError = [](const QString& text) {
        ADD_FAILURE() << "error escaped a handler: " << text.toStdString();
    };
    QApplication::setQuitOnLastWindowClosed(false);
    tilora::registerFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
