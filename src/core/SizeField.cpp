#include "SizeField.h"

#include "EditorState.h"
#include "Geometry.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tilora {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::int32_t decimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    // The magnitude stops growing just past the int32 range, so any number of digits is safe.
    constexpr std::int64_t cap = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min(cap, magnitude * 10 + (text[i] - '0'));
    }

    const std::int64_t value = negative ? -magnitude : magnitude;
    return saturateToInt(value);
}

std::optional<std::string> checkSizeField(std::string_view text) {
    const std::int32_t v = decimalValue(text);
    if (v > MaxMapSide) return std::to_string(MaxMapSide);
    if (v < MinMapSide) return std::to_string(MinMapSide);
    return std::nullopt;
}

int sizeFieldValue(std::string_view text) {
    return std::clamp<int>(decimalValue(text), MinMapSide, MaxMapSide);
}

} // namespace tilora
