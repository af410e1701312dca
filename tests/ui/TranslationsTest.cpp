// The editor's language from the locale, and the windows' texts, the core's messages and the help
// document in it: Japanese, as laid out, under Japanese, C or POSIX locales; English otherwise.

#include "TestApp.h"

#include "core/Texts.h"
#include "newmap/TStartUpWindow.h"
#include "platform/Translations.h"

#include <QMenu>

#include <QFile>

#include <gtest/gtest.h>

namespace tilora {
namespace {

TEST(Translations, CoreMessagesFollowTheEditorsLanguage) {
    const struct {
        const char* lang;
        const char* language;
        const char* message;
        const char* helpTitle;
    } cases[] = {
        {"C", "ja", "ファイルを読み込めません：x", "<title>Tilora ヘルプ</title>"},
        {"ja_JP.UTF-8", "ja", "ファイルを読み込めません：x", "<title>Tilora ヘルプ</title>"},
        {"en_US.UTF-8", "en", "Cannot read the file: x", "<title>Tilora Help</title>"},
        {"fr_FR.UTF-8", "en", "Cannot read the file: x", "<title>Tilora Help</title>"},
    };
    for (const auto& c : cases) {
        // The suite's own catalogs (Japanese) come back when this one goes.
        const Translations translations(QStringLiteral(TILORA_TRANSLATIONS_DIR),
                                        LocaleEnvironment{"", "", "", c.lang});
        EXPECT_EQ(translations.language().toStdString(), c.language) << c.lang;
        EXPECT_EQ(i18n("Cannot read the file: %1", {"x"}), c.message) << c.lang;
        QFile help(QStringLiteral(":/help/index.html"));
        ASSERT_TRUE(help.open(QIODevice::ReadOnly));
        EXPECT_TRUE(help.readAll().contains(c.helpTitle)) << c.lang;
    }
    EXPECT_EQ(i18n("Cannot read the file: %1", {"x"}), "ファイルを読み込めません：x");
}

// Windows made while a catalog is in use speak its language: captions, menus, a file dialog's
// title and a message box.
TEST(Translations, WindowsFollowTheEditorsLanguage) {
    const struct {
        const char* lang;
        const char* fileMenu;
        const char* saveItem;
        const char* newMapCaption;
        const char* openTitle;
        const char* aboutCaption;
    } cases[] = {
        {"C", "ファイル", "上書き保存", "初期設定", "使用するＭＡＰファイルの読み込み",
         "バージョン情報"},
        {"ja_JP.UTF-8", "ファイル", "上書き保存", "初期設定", "使用するＭＡＰファイルの読み込み",
         "バージョン情報"},
        {"en_US.UTF-8", "File", "Save", "New Map Settings", "Open a Map File", "About"},
    };
    for (const auto& c : cases) {
        const Translations translations(QStringLiteral(TILORA_TRANSLATIONS_DIR),
                                        LocaleEnvironment{"", "", "", c.lang});
        test::TestApp t;
        EXPECT_EQ(t->MainWindow->K1->title(), QString::fromUtf8(c.fileMenu)) << c.lang;
        EXPECT_EQ(t->MainWindow->Save->text(), QString::fromUtf8(c.saveItem)) << c.lang;
        EXPECT_EQ(t->StartUpWindow->windowTitle(), QString::fromUtf8(c.newMapCaption)) << c.lang;
        t.dialogs.cancelFile();
        t->MainWindow->LoadFileClick();
        ASSERT_EQ(t.dialogs.fileCalls.size(), 1u) << c.lang;
        EXPECT_EQ(t.dialogs.fileCalls[0].request.title, QString::fromUtf8(c.openTitle)) << c.lang;
        t->MainWindow->About1Click();
        ASSERT_EQ(t.dialogs.messages.size(), 1u) << c.lang;
        EXPECT_EQ(t.dialogs.messages[0].caption, QString::fromUtf8(c.aboutCaption)) << c.lang;
    }
}

} // namespace
} // namespace tilora
