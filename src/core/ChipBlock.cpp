#include "ChipBlock.h"

#include "Texts.h"

#include <charconv>
#include <cstring>

namespace tilora {

std::string formatChipBlock(const ChipBlock& block) {
    if (block.empty()) return {};
    // Longest value: "-2147483648" and its comma, 12 bytes; each line adds CR LF.
    const std::size_t capacity = std::size_t(block.height) * (std::size_t(block.width) * 12 + 2);
    std::string out(capacity, '\0');
    char* p = out.data();
    char* const end = p + capacity;
    const std::int32_t* cell = block.cells.data();
    for (int r = 0; r < block.height; ++r) {
        for (int c = 0; c < block.width; ++c) {
            p = std::to_chars(p, end, *cell++).ptr;
            *p++ = ',';
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    out.resize(std::size_t(p - out.data()));
    return out;
}

namespace {

Error refusal(const std::string& why) {
    return Error{i18n("The clipboard does not hold a block of chips: %1", {why})};
}

bool isBlank(char ch) {
    return ch == ' ';
}
bool isSeparator(char ch) {
    return ch == ',' || ch == '\t';
}

// One line's values, appended to `cells`; returns the number read or the refusal.
Result<int> readLine(const char* p, const char* end, int line, std::vector<std::int32_t>& cells) {
    int count = 0;
    while (p != end) {
        const int k = count + 1;
        while (p != end && isBlank(*p))
            ++p;
        if (p != end && *p == '+' && ++p != end && (*p < '0' || *p > '9'))
            return refusal(i18n("value %2 on line %1 is not a number", {line, k}));
        std::int32_t v = 0;
        const auto [next, ec] = std::from_chars(p, end, v);
        if (ec == std::errc::result_out_of_range)
            return refusal(
                i18n("value %2 on line %1 is outside -2147483648 to 2147483647", {line, k}));
        if (ec != std::errc{}) {
            if (p == end || isSeparator(*p))
                return refusal(i18n("value %2 on line %1 is empty", {line, k}));
            return refusal(i18n("value %2 on line %1 is not a number", {line, k}));
        }
        p = next;
        while (p != end && isBlank(*p))
            ++p;
        if (p != end && !isSeparator(*p))
            return refusal(i18n("value %2 on line %1 is not a number", {line, k}));
        if (++count > MaxBlockSide)
            return refusal(i18n("line %1 holds more than %2 values", {line, MaxBlockSide}));
        cells.push_back(v);
        if (p != end) ++p; // the separator; one after the last value is allowed
    }
    return count;
}

} // namespace

Result<ChipBlock> parseChipBlock(std::string_view text) {
    ChipBlock block;
    const char* p = text.data();
    const char* const end = p + text.size();
    // Empty lines after the last row are no rows.
    const char* last = end;
    while (last != p && (last[-1] == '\n' || last[-1] == '\r'))
        --last;
    if (last == p) return refusal(i18n("there are no chips"));

    int line = 0;
    while (p < last) {
        ++line;
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(last - p)));
        const char* lineEnd = lf ? lf : last;
        const char* next = lf ? lf + 1 : last;
        if (lineEnd != p && lineEnd[-1] == '\r') --lineEnd;
        if (std::memchr(p, '\r', std::size_t(lineEnd - p)))
            return refusal(i18n("line %1 ends in a CR alone", {line}));
        if (lineEnd == p) return refusal(i18n("line %1 is empty", {line}));
        if (line > MaxBlockSide)
            return refusal(i18n("there are more than %1 lines", {MaxBlockSide}));
        auto count = readLine(p, lineEnd, line, block.cells);
        if (!count) return count.error();
        if (line == 1) {
            block.width = *count;
        } else if (*count != block.width) {
            return refusal(
                i18n("line %1 holds %2 values where line 1 holds %3", {line, *count, block.width}));
        }
        p = next;
    }
    block.height = line;
    return block;
}

} // namespace tilora
