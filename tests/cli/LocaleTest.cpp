// tilora-cli speaks as command-line tools do: English unless the locale (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG, as gettext reads them) asks for Japanese; its usage too.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

namespace tilora::cli::test {
namespace {

struct LocaleCase {
    EnvironmentChanges env;
    bool japanese;
};

TEST(CliLocale, MessagesAndUsageFollowTheLocale) {
    const LocaleCase cases[] = {
        {{{"LC_ALL", ""}, {"LANG", ""}}, false},
        {{{"LC_ALL", "C"}}, false},
        {{{"LC_ALL", ""}, {"LANG", "en_US.UTF-8"}}, false},
        {{{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}}, true},
        {{{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, false},
        {{{"LC_ALL", ""}, {"LANG", "en_US.UTF-8"}, {"LANGUAGE", "ja"}}, true},
        {{{"LC_ALL", "C"}, {"LANGUAGE", "ja"}}, false},
    };
    for (const LocaleCase& c : cases) {
        std::string label;
        for (const auto& [name, value] : c.env)
            label += name + "=" + value + " ";
        const CliResult missing = runBinary({"info", "/nonexistent/x.map"}, c.env);
        EXPECT_EQ(missing.status, 1) << label;
        EXPECT_TRUE(oneLineContaining(missing.err,
                                      c.japanese ? "ファイルを読み込めません：ファイルがありません"
                                                 : "Cannot read the file: the file does not exist"))
            << label << missing.err;
        const CliResult usage = runBinary({"render"}, c.env);
        EXPECT_EQ(usage.status, 2) << label;
        EXPECT_NE(usage.err.find(c.japanese ? "使い方:\n" : "Usage:\n"), std::string::npos)
            << label << usage.err;
    }
}

} // namespace
} // namespace tilora::cli::test
