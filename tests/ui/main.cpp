// One application instance for the whole UI suite, the editor's guarded one, on the offscreen
// platform unless told otherwise. An error escaping a handler fails the test that caused it.
// Recovery copies go to a state folder of this run's own, never the user's. The texts are the
// editor's as laid out (Japanese, as under the C locale), the core's through the build's catalog.

#include "RecoveryChild.h"

#include "platform/Fonts.h"
#include "platform/Translations.h"
#include "shell/GuardedApplication.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The recovery test starts this program again as an editor to be killed; it has its own
    // state folder from the parent.
    const bool child = argc == 3 && std::strcmp(argv[1], tilora::test::RecoveryChildOption) == 0;
    QTemporaryDir state;
    if (!child) setenv("XDG_STATE_HOME", state.path().toLocal8Bit().constData(), 1);
    // The editor's remembered settings go to a folder of the suite's own, never the user's (the
    // recovery child inherits its parent's).
    QTemporaryDir settings;
    if (!child) setenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit().constData(), 1);
    tilora::GuardedApplication app(argc, argv);
    const tilora::Translations translations(QStringLiteral(TILORA_TRANSLATIONS_DIR),
                                            tilora::LocaleEnvironment{});
    if (child) return tilora::test::runRecoveryChild(argv[2]);
    app.reportError = [](const QString& text) {
        ADD_FAILURE() << "error escaped a handler: " << text.toStdString();
    };
    QApplication::setQuitOnLastWindowClosed(false);
    tilora::registerFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
