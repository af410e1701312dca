#include "Shapes.h"

#include "EditorState.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace tilora {

std::vector<RowSpan> penLineSpans(Anchor from, Anchor to, int pen, bool skipFrom) {
    pen = std::clamp(pen, 1, GridSide);
    // Pointer cells lie within a screen's width of the map; ends beyond this (which no pointer
    // reaches) are pulled in, so the products below stay far inside 64 bits.
    constexpr int Far = 1 << 24;
    from = {std::clamp(from.row, -Far, Far), std::clamp(from.col, -Far, Far)};
    to = {std::clamp(to.row, -Far, Far), std::clamp(to.col, -Far, Far)};
    // Steps kept: those whose pen square can reach the grid, with their top-left cell in rows
    // and columns from -pen to the grid's last.
    const std::int64_t lo = -std::int64_t(pen);
    const std::int64_t hi = GridSide - 1;
    const std::int64_t dRow = std::int64_t(to.row) - from.row;
    const std::int64_t dCol = std::int64_t(to.col) - from.col;
    const std::int64_t steps = std::max(std::llabs(dRow), std::llabs(dCol));
    const bool rowMajor = std::llabs(dRow) >= std::llabs(dCol);

    // The steps t whose coordinate along the longer axis lies within lo..hi (a line of a
    // thousand cells, whatever its ends).
    std::int64_t first = 0;
    std::int64_t last = steps;
    if (steps > 0) {
        const std::int64_t start = rowMajor ? from.row : from.col;
        const std::int64_t dir = (rowMajor ? dRow : dCol) > 0 ? 1 : -1;
        const std::int64_t a = dir > 0 ? lo - start : start - hi;
        const std::int64_t b = dir > 0 ? hi - start : start - lo;
        first = std::max<std::int64_t>(first, a);
        last = std::min<std::int64_t>(last, b);
    }
    if (skipFrom) first = std::max<std::int64_t>(first, 1);

    // Each row's leftmost and rightmost pen column, over the rows the line's squares cover that
    // lie within lo..hi.
    const std::int64_t base = std::max<std::int64_t>(lo, std::min(from.row, to.row));
    const std::int64_t top =
        std::min<std::int64_t>(hi, std::int64_t(std::max(from.row, to.row)) + pen - 1);
    if (top < base) return {};
    const int rowCount = int(top - base + 1);
    constexpr int None = std::numeric_limits<int>::max();
    std::vector<int> left(std::size_t(rowCount), None);
    std::vector<int> right(std::size_t(rowCount), std::numeric_limits<int>::min());
    int usedTop = rowCount;
    int usedBottom = -1;
    // The minor axis at step t is round(t * minor / steps), halves away from zero: kept as a
    // quotient and a remainder that each step advances, with no division inside the loop.
    const std::int64_t minorDelta = rowMajor ? dCol : dRow;
    const std::int64_t minorStep = std::llabs(minorDelta);
    const std::int64_t minorSign = minorDelta < 0 ? -1 : 1;
    const std::int64_t majorSign = (rowMajor ? dRow : dCol) < 0 ? -1 : 1;
    std::int64_t quotient = 0;
    std::int64_t remainder = 0;
    if (steps > 0 && first <= last) {
        const std::int64_t start = first * minorStep + steps / 2;
        quotient = start / steps;
        remainder = start % steps;
    }
    for (std::int64_t t = first; t <= last; ++t) {
        const std::int64_t major = majorSign * t;
        const std::int64_t minor = minorSign * quotient;
        const std::int64_t row = from.row + (rowMajor ? major : minor);
        const std::int64_t col = from.col + (rowMajor ? minor : major);
        remainder += minorStep;
        if (remainder >= steps) {
            remainder -= steps;
            ++quotient;
        }
        if (row < lo || row > hi || col < lo || col > hi) continue;
        for (int i = 0; i < pen; ++i) {
            const std::int64_t r = row + i - base;
            if (r < 0) continue;
            if (r >= rowCount) break;
            const auto k = std::size_t(r);
            left[k] = std::min(left[k], int(col));
            right[k] = std::max(right[k], int(col) + pen - 1);
            usedTop = std::min(usedTop, int(r));
            usedBottom = std::max(usedBottom, int(r));
        }
    }
    std::vector<RowSpan> spans;
    spans.reserve(std::size_t(std::max(usedBottom - usedTop + 1, 0)));
    for (int k = usedTop; k <= usedBottom; ++k) {
        if (left[std::size_t(k)] == None) continue;
        spans.push_back({int(k + base), left[std::size_t(k)],
                         right[std::size_t(k)] - left[std::size_t(k)] + 1});
    }
    return spans;
}

bool adjacentCells(Anchor a, Anchor b) {
    return std::llabs(std::int64_t(a.row) - b.row) <= 1 &&
           std::llabs(std::int64_t(a.col) - b.col) <= 1;
}

std::vector<RowSpan> rectSpans(CellRect rect) {
    std::vector<RowSpan> spans;
    if (rect.empty()) return spans;
    spans.reserve(std::size_t(rect.rows));
    for (int r = 0; r < rect.rows; ++r)
        spans.push_back({rect.row + r, rect.col, rect.cols});
    return spans;
}

} // namespace tilora
