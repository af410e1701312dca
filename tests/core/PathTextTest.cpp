// Paths in messages: shown whole up to a length, else as their beginning and end.

#include "core/PathText.h"

#include <gtest/gtest.h>

namespace tilora {
namespace {

std::size_t characters(const std::string& text) {
    std::size_t n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

TEST(PathText, LongPathsKeepTheirBeginningAndEnd) {
    std::string deep = "/home/user";
    while (deep.size() < 4000)
        deep += "/とても長いフォルダ名";
    deep += "/sheet.bmp";
    const std::string longest(MaxShownPathChars, 'a');
    struct Case {
        std::string bytes;
        std::string head, tail; // shown at the start and at the end; the whole text if not cut
    };
    const Case cases[] = {
        {"/maps/sea.bmp", "/maps/sea.bmp", ""},
        {"C:\\\x95\x5C\\a.bmp", "C:\\表\\a.bmp", ""}, // code page 932
        {longest, longest, ""},
        {longest + "b", "aaaa", "aab"},
        {deep, "/home/user/とても長いフォルダ名", "フォルダ名/sheet.bmp"},
    };
    for (const Case& c : cases) {
        const std::string shown = pathForMessage(c.bytes);
        if (c.tail.empty()) {
            EXPECT_EQ(shown, c.head);
            continue;
        }
        EXPECT_EQ(shown.rfind(c.head, 0), 0u) << shown;
        EXPECT_EQ(shown.size() - shown.rfind(c.tail), c.tail.size()) << shown;
        EXPECT_NE(shown.find("…"), std::string::npos) << shown;
        EXPECT_EQ(characters(shown), MaxShownPathChars) << shown;
    }
}

} // namespace
} // namespace tilora
