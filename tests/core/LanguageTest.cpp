// Which language the environment asks for, and the messages' arguments.

#include "core/Language.h"
#include "core/Texts.h"

#include <gtest/gtest.h>

#include <set>

namespace tilora {
namespace {

struct LanguageCase {
    LocaleEnvironment env;
    const char* editor; // with catalogs for en and pt only
};

TEST(Language, EditorFollowsTheLocaleWithJapaneseForC) {
    const LanguageCase cases[] = {
        {{}, "ja"},
        {{"", "", "", "C"}, "ja"},
        {{"", "", "", "POSIX"}, "ja"},
        {{"", "", "", "C.UTF-8"}, "ja"},
        {{"fr", "", "", "C.UTF-8"}, "ja"}, // LANGUAGE is not read under C
        {{"", "", "", "ja_JP.UTF-8"}, "ja"},
        {{"", "", "", "en_US.UTF-8"}, "en"},
        {{"", "", "", "de_DE.UTF-8"}, "en"},
        {{"", "", "", "pt_BR.UTF-8@euro"}, "pt"},
        {{"", "", "C", "ja_JP.UTF-8"}, "ja"},
        {{"", "C", "en_US.UTF-8", "en_US.UTF-8"}, "ja"}, // LC_ALL first
        {{"", "", "en_GB.UTF-8", "ja_JP.UTF-8"}, "en"},  // then LC_MESSAGES
        {{"ja:en", "", "", "en_US.UTF-8"}, "ja"},        // then LANGUAGE's list
        {{"de:pt_PT:ja", "", "", "en_US.UTF-8"}, "pt"},
    };
    const std::set<std::string_view> catalogs = {"en", "pt"};
    for (const LanguageCase& c : cases)
        EXPECT_EQ(editorLanguage(c.env, [&](std::string_view l) { return catalogs.contains(l); }),
                  c.editor)
            << c.env.language << " / " << c.env.lcAll << " / " << c.env.lcMessages << " / "
            << c.env.lang;
}

TEST(Language, RequestedLanguagesDropCodesetAndModifier) {
    EXPECT_EQ(requestedLanguages({"fr_CA.UTF-8:de", "", "", "sv_SE.ISO-8859-1@euro"}),
              (std::vector<std::string>{"fr_CA", "de", "sv_SE"}));
}

TEST(Texts, ArgumentsGoWhereTheTranslationPutsThem) {
    EXPECT_EQ(fillArguments("%2 on line %1", {7, "the width"}), "the width on line 7");
    EXPECT_EQ(fillArguments("%1行目の%2", {7, "幅"}), "7行目の幅");
    // A % not followed by the number of an argument stays, and arguments are not filled again.
    EXPECT_EQ(fillArguments("100% %3 %1", {"%2", "x"}), "100% %3 %2");
}

TEST(Texts, ArgumentOfTakesTheReasonAfterTheLead) {
    const std::string message = i18n("Cannot read the file: %1", {"gone"});
    EXPECT_EQ(argumentOf(message, "Cannot read the file: %1"), "gone");
    EXPECT_EQ(argumentOf("something else", "Cannot read the file: %1"), "something else");
}

} // namespace
} // namespace tilora
