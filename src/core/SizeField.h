#pragma once
// The width and height fields of the new-map dialog.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tilora {

// Decimal value of a text: leading white space skipped, one optional '+' or '-', then ASCII digits
// up to the first non-digit; the rest is ignored and no digits give 0. Saturates at the int32
// range.
std::int32_t decimalValue(std::string_view text);

// The check made when the focus leaves a size field: the text to put into the field, or nothing
// when it stays exactly as typed ("1000" above 1000, "10" below 10).
std::optional<std::string> checkSizeField(std::string_view text);

// The value a field gives after that check: always 10..1000.
int sizeFieldValue(std::string_view text);

} // namespace tilora
