// The main of the core's and tilora-cli's test programs. Their messages are checked in Japanese,
// as the editor shows them as laid out and as tilora-cli speaks under a Japanese locale: through
// the build's Japanese catalog, read by gettext under ja_JP.UTF-8 (scripts/deps.sh generates that
// locale). The programs these tests start inherit the locale.

#include "core/Gettext.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
    unsetenv("LANGUAGE");
    if (!std::setlocale(LC_MESSAGES, "")) {
        std::fputs("The ja_JP.UTF-8 locale is missing; scripts/deps.sh test generates it.\n",
                   stderr);
        return 1;
    }
    tilora::installGettextCatalog(TILORA_LOCALE_DIR);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
