#include "core/SizeField.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace tilora {
namespace {

struct FieldCase {
    const char* text;
    const char* replacement; // nullptr: the text stays as typed
    int value;               // the field's value after the check
};

TEST(SizeField, CheckOnLeavingTheField) {
    const FieldCase cases[] = {
        {"5", "10", 10},
        {"0", "10", 10},
        {"-20", "10", 10},
        {"abc", "10", 10},
        {"", "10", 10},
        {"9", "10", 10},
        {"10", nullptr, 10},
        {"1000", nullptr, 1000},
        {"1001", "1000", 1000},
        {"9999", "1000", 1000},
        {"0500", nullptr, 500},
        {"12ab", nullptr, 12},
        {"５００", "10", 10}, // full-width digits
        {" 12", nullptr, 12},
        {"\t\n 42", nullptr, 42},
        {"　12", "10", 10}, // an ideographic space is not skipped
        {"+15", nullptr, 15},
        {"- 5", "10", 10}, // the sign must be followed by digits
        {"99999999999999999999", "1000", 1000},
        {"-99999999999999999999", "10", 10},
    };
    for (const FieldCase& c : cases) {
        const auto replaced = checkSizeField(c.text);
        if (c.replacement) {
            ASSERT_TRUE(replaced.has_value()) << '"' << c.text << '"';
            EXPECT_EQ(*replaced, c.replacement) << '"' << c.text << '"';
        } else {
            EXPECT_FALSE(replaced.has_value())
                << '"' << c.text << "\" -> " << replaced.value_or("");
        }
        EXPECT_EQ(sizeFieldValue(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(DecimalValue, SaturatesAtTheInt32Range) {
    constexpr auto maxV = std::numeric_limits<std::int32_t>::max();
    constexpr auto minV = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(decimalValue("2147483647"), maxV);
    EXPECT_EQ(decimalValue("2147483648"), maxV);
    EXPECT_EQ(decimalValue("-2147483648"), minV);
    EXPECT_EQ(decimalValue("-2147483649"), minV);
    EXPECT_EQ(decimalValue("000000000000000000000000000123"), 123);
    EXPECT_EQ(decimalValue(std::string(5000, '9')), maxV);
    EXPECT_EQ(decimalValue("-0"), 0);
}

} // namespace
} // namespace tilora
