// Paths in messages: shown whole up to a length, else as their beginning and end.

#include "core/PathText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tilora {
namespace {

TEST(PathText, LongPathsKeepTheirBeginningAndEnd) {
    std::string deep = "/home/user";
    while (deep.size() < 4000)
        deep += "/とても長いフォルダ名";
    const std::string longest(MaxShownPathChars, 'a');
    const std::pair<std::string, std::string> whole[] = {
        {"C:\\\x95\x5C\\a.bmp", "C:\\表\\a.bmp"}, // code page 932
        {longest, longest},
    };
    for (const auto& [bytes, shown] : whole)
        EXPECT_EQ(pathForMessage(bytes), shown);

    const std::string shown = pathForMessage(deep + "/sheet.bmp");
    EXPECT_EQ(shown.rfind("/home/user/とても長いフォルダ名", 0), 0u) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 16), "ダ名/sheet.bmp") << shown;
    const std::size_t characters = std::count_if(shown.begin(), shown.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    EXPECT_EQ(characters, MaxShownPathChars);
    EXPECT_NE(shown.find("…"), std::string::npos);
}

} // namespace
} // namespace tilora
