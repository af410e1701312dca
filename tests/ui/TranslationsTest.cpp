// The editor's language from the locale, and the core's messages and the help document in it:
// Japanese, as laid out, under Japanese, C or POSIX locales; English otherwise.

#include "platform/Translations.h"
#include "core/Texts.h"

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

} // namespace
} // namespace tilora
