#include "MapFile.h"

#include "MapDocument.h"
#include "Texts.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <charconv>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tilora {

// ---------------------------------------------------------------------------------------------
// Contents <-> state

MapContents mapContentsFromState(const MapDocument& state) {
    MapContents m;
    m.sheetPath = state.SheetFileName;
    // Sizes are held to the grid so the copy never reads outside it; the state before any map
    // exists has height 0, which checkMapContents refuses to save.
    m.width = std::clamp(state.MapWidth, 0, GridSide);
    m.height = std::clamp(state.MapHeight, 0, GridSide);
    m.cells.resize(std::size_t(m.width) * m.height);
    for (int r = 0; r < m.height; ++r) {
        const auto src = state.MapCells.begin() + std::ptrdiff_t(r) * GridSide;
        std::copy(src, src + m.width, m.cells.begin() + std::ptrdiff_t(r) * m.width);
    }
    return m;
}

void applyMapContents(const MapContents& contents, MapDocument& state) {
    assert(contents.width >= 0 && contents.width <= GridSide);
    assert(contents.height >= 0 && contents.height <= GridSide);
    assert(contents.cells.size() == std::size_t(contents.width) * contents.height);
    // Contents that do not fit the grid are a caller's mistake; never write outside the grid.
    if (contents.width < 0 || contents.width > GridSide || contents.height < 0 ||
        contents.height > GridSide ||
        contents.cells.size() != std::size_t(contents.width) * contents.height)
        return;
    state.SheetFileName = contents.sheetPath;
    state.MapWidth = contents.width;
    state.MapHeight = contents.height;
    state.Selection = {}; // it was the old map's
    for (int r = 0; r < contents.height; ++r) {
        const auto src = contents.cells.begin() + std::ptrdiff_t(r) * contents.width;
        std::copy(src, src + contents.width, state.MapCells.begin() + std::ptrdiff_t(r) * GridSide);
    }
}

// ---------------------------------------------------------------------------------------------
// Writer

namespace {

constexpr int MinFileSide = 1;

} // namespace

SheetPathFault sheetPathFault(std::string_view path) {
    if (path.size() > MaxSheetPathBytes) return SheetPathFault::TooLong;
    if (path.find_first_of(std::string_view(",\r\n\0", 4)) != std::string_view::npos)
        return SheetPathFault::Unstorable;
    return SheetPathFault::None;
}

Status checkMapContents(const MapContents& contents) {
    switch (sheetPathFault(contents.sheetPath)) {
    case SheetPathFault::TooLong:
        return Error{i18n(
            "Cannot save: %1",
            {i18n("the chip sheet's path is too long (at most %1 bytes)", {MaxSheetPathBytes})})};
    case SheetPathFault::Unstorable:
        return Error{i18n("Cannot save: %1", {i18n("the chip sheet's path holds characters a "
                                                   "map file cannot hold, such as \",\" or a "
                                                   "line break")})};
    case SheetPathFault::None:
        break;
    }
    if (contents.width < MinFileSide || contents.width > MaxMapSide ||
        contents.height < MinFileSide || contents.height > MaxMapSide)
        return Error{
            i18n("Cannot save: %1", {i18n("the map's width and height must be 1 to 1000")})};
    if (contents.cells.size() != std::size_t(contents.width) * contents.height)
        return Error{i18n("Cannot save: %1",
                          {i18n("the number of the map's cells does not match its width and "
                                "height")})};
    return Ok{};
}

std::string formatMapFile(const MapContents& contents) {
    const int width = std::max(contents.width, 0);
    const int height = std::max(contents.height, 0);
    assert(contents.cells.size() == std::size_t(width) * height);

    // Longest value: "-2147483648" and its comma, 12 bytes; each line adds CR LF.
    constexpr std::size_t MaxValue = 12;
    const std::size_t capacity = contents.sheetPath.size() + 3 + 2 * (MaxValue + 2) +
                                 std::size_t(height) * (std::size_t(width) * MaxValue + 2);
    std::string out;
    out.resize(capacity);
    char* p = out.data();
    char* const end = p + capacity;

    const auto lineEnd = [&p] {
        *p++ = '\r';
        *p++ = '\n';
    };
    const auto value = [&p, end](std::int32_t v) {
        p = std::to_chars(p, end, v).ptr;
        *p++ = ',';
    };

    std::memcpy(p, contents.sheetPath.data(), contents.sheetPath.size());
    p += contents.sheetPath.size();
    *p++ = ',';
    lineEnd();
    value(width);
    lineEnd();
    value(height);
    lineEnd();
    const std::int32_t* cell = contents.cells.data();
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c)
            value(*cell++);
        lineEnd();
    }
    out.resize(std::size_t(p - out.data()));
    return out;
}

// ---------------------------------------------------------------------------------------------
// Reader
//
// Lines end in CR LF or LF. Line 1 is the sheet path up to the first comma, lines 2 and 3 the
// width and the height, then one line per row with exactly width comma-terminated values. The
// last row's line end may be missing; after it only empty lines may follow. A value is optional
// blanks, an optional sign and at least one digit, nothing else, and must fit 32 bits.

namespace {

enum class FieldStatus { Ok, NotNumber, OutOfRange };

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\v' || ch == '\f';
}
bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Where a value's sign or digits begin, past leading blanks and a '+' (which a user editing the
// file by hand may type); nullptr when a '+' is not followed by a digit.
const char* numberStart(const char* p, const char* end) {
    while (p != end && isBlank(*p))
        ++p;
    if (p != end && *p == '+') {
        ++p;
        if (p == end || !isDigit(*p)) return nullptr;
    }
    return p;
}

// A whole field [begin, end) as a number: blanks, a sign, digits and nothing else.
FieldStatus classifyField(const char* begin, const char* end, std::int32_t& out) {
    const char* p = numberStart(begin, end);
    if (!p) return FieldStatus::NotNumber;
    const auto [next, ec] = std::from_chars(p, end, out);
    if (ec == std::errc::result_out_of_range) return FieldStatus::OutOfRange;
    return ec == std::errc{} && next == end ? FieldStatus::Ok : FieldStatus::NotNumber;
}

struct Line {
    const char* begin;
    const char* end;  // content end, without the line break
    const char* next; // start of the following line
    bool terminated;  // false: the file ends inside this line
};

Line lineAt(const char* begin, const char* fileEnd) {
    const auto* lf =
        static_cast<const char*>(std::memchr(begin, '\n', std::size_t(fileEnd - begin)));
    Line line{begin, lf ? lf : fileEnd, lf ? lf + 1 : fileEnd, lf != nullptr};
    if (line.end != begin && line.end[-1] == '\r') --line.end;
    return line;
}

Error readError(const std::string& what) {
    return Error{i18n("Cannot read the map data: %1", {what})};
}

Error missingLine(int line) {
    return readError(i18n("the file ends early (line %1 is missing)", {line}));
}

Error endsInside(int line) {
    return readError(i18n("the file ends inside line %1", {line}));
}

// A CR inside a line's content can only be a line end of its own: the file was saved with
// CR-only line ends, which this format does not use.
Error crOnlyLineEnds(int line) {
    return readError(i18n("line %1 ends in a CR alone (lines must end in CR LF or LF)", {line}));
}

bool holdsCr(const Line& ln) {
    return std::memchr(ln.begin, '\r', std::size_t(ln.end - ln.begin)) != nullptr;
}

// A map file is ASCII apart from the sheet path (Shift-JIS or UTF-8, no byte-order mark). Text
// saved as UTF-16 has a NUL beside every ASCII character (so the first two characters show a NUL
// in the same half), and its byte-order mark, or UTF-8's, says what the file is.
std::optional<Error> encodingProblem(std::string_view bytes) {
    const auto startsWith = [bytes](std::string_view prefix) {
        return bytes.substr(0, prefix.size()) == prefix;
    };
    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF") ||
        (bytes.size() >= 4 &&
         ((bytes[0] == '\0' && bytes[2] == '\0') || (bytes[1] == '\0' && bytes[3] == '\0'))))
        return readError(i18n("the text is in UTF-16 (save it as Shift-JIS or UTF-8)"));
    if (startsWith("\xEF\xBB\xBF"))
        return readError(i18n("the file starts with a byte-order mark, BOM (save it without one)"));
    return std::nullopt;
}

// Reads one header line "<field>," and sets fieldEnd to the end of its field (which starts at
// the line's beginning); name is what the field holds, for the messages (marked with
// I18N_NOOP).
Result<Line> headerLine(const char* p, const char* fileEnd, int line, const char* name,
                        const char*& fieldEnd) {
    if (p == fileEnd) return missingLine(line);
    const Line ln = lineAt(p, fileEnd);
    if (holdsCr(ln)) return crOnlyLineEnds(line);
    const auto* comma =
        static_cast<const char*>(std::memchr(ln.begin, ',', std::size_t(ln.end - ln.begin)));
    if (!comma) {
        if (!ln.terminated) return endsInside(line);
        return readError(i18n("no \",\" after %2 on line %1", {line, i18n(name)}));
    }
    if (comma + 1 != ln.end)
        return readError(i18n("extra characters after %2 on line %1", {line, i18n(name)}));
    fieldEnd = comma;
    return ln;
}

Result<int> readSide(const char*& p, const char* fileEnd, int line, const char* name) {
    const char* fieldEnd = nullptr;
    auto ln = headerLine(p, fileEnd, line, name, fieldEnd);
    if (!ln) return ln.error();
    std::int32_t v = 0;
    const FieldStatus status = classifyField(ln->begin, fieldEnd, v);
    if (status == FieldStatus::NotNumber)
        return readError(i18n("%2 on line %1 is not a number", {line, i18n(name)}));
    if (status == FieldStatus::OutOfRange || v < MinFileSide || v > MaxMapSide)
        return readError(i18n("%2 on line %1 is outside 1 to 1000", {line, i18n(name)}));
    if (!ln->terminated) return missingLine(line + 1);
    p = ln->next;
    return int(v);
}

Error notNumber(int line, int k) {
    return readError(i18n("value %2 on line %1 is not a number", {line, k}));
}

Error outOfRange(int line, int k) {
    return readError(i18n("value %2 on line %1 is outside -2147483648 to 2147483647", {line, k}));
}

// Says what is wrong with the row line that starts at begin; called only when the fast path
// of the reader stopped, so it may take its time.
Error diagnoseRow(const char* begin, const char* fileEnd, int line, int width) {
    const Line ln = lineAt(begin, fileEnd);
    if (holdsCr(ln)) return crOnlyLineEnds(line);
    const char* p = ln.begin;
    int count = 0;
    for (;;) {
        const auto* comma = static_cast<const char*>(std::memchr(p, ',', std::size_t(ln.end - p)));
        if (!comma) break;
        if (count == width)
            return readError(
                i18n("too many values on line %1 (there should be %2)", {line, width}));
        std::int32_t v = 0;
        const FieldStatus status = classifyField(p, comma, v);
        if (status == FieldStatus::NotNumber) return notNumber(line, count + 1);
        if (status == FieldStatus::OutOfRange) return outOfRange(line, count + 1);
        ++count;
        p = comma + 1;
    }
    // No comma after p: either the line is done or a value lacks its comma.
    if (p == ln.end) {
        if (count < width && !ln.terminated) return endsInside(line);
        if (count < width)
            return readError(
                i18n("too few values on line %1 (%3 instead of %2)", {line, width, count}));
    } else {
        if (count == width)
            return readError(i18n("extra characters after value %2 on line %1", {line, width}));
        if (!ln.terminated) return endsInside(line);
        std::int32_t v = 0;
        const FieldStatus status = classifyField(p, ln.end, v);
        if (status == FieldStatus::NotNumber) return notNumber(line, count + 1);
        if (status == FieldStatus::OutOfRange) return outOfRange(line, count + 1);
        return readError(i18n("no \",\" after value %2 on line %1", {line, count + 1}));
    }
    return readError(i18n("cannot read line %1", {line})); // not reached by a row that failed
}

// The fast reading of rows written by the editor. A row is read in two passes: first the
// position of every comma, 64 bytes at a time, then each value between two commas on its own.
// The values do not wait for each other (the next value's start is known without reading this
// one), so the processor reads several at once. Anything but a plain value (a '-' or not, then
// one to seven digits) stops the fast reading, and the row is read again the careful way.

constexpr int BlockBytes = 64;

// What the 64 bytes of a block are, a bit per byte (bit k for block[k]).
struct BlockBits {
    std::uint64_t commas = 0;
    std::uint64_t minuses = 0;
    std::uint64_t others = 0; // neither a digit, a comma nor a '-'
};

BlockBits classifyBlock(const char* block) {
    BlockBits bits;
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i minus = _mm_set1_epi8('-');
    const __m128i zero = _mm_set1_epi8('0');
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i none = _mm_setzero_si128();
    for (int k = 0; k < BlockBytes / 16; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
        const __m128i isComma = _mm_cmpeq_epi8(bytes, comma);
        const __m128i isMinus = _mm_cmpeq_epi8(bytes, minus);
        // A digit less '0' is 0..9 unsigned, so taking 9 more away (stopping at 0) leaves 0.
        const __m128i isDigit =
            _mm_cmpeq_epi8(_mm_subs_epu8(_mm_sub_epi8(bytes, zero), nine), none);
        const auto mask = [](__m128i m) {
            return std::uint64_t(std::uint32_t(_mm_movemask_epi8(m)));
        };
        const int shift = 16 * k;
        bits.commas |= mask(isComma) << shift;
        bits.minuses |= mask(isMinus) << shift;
        bits.others |= (~mask(_mm_or_si128(_mm_or_si128(isComma, isMinus), isDigit)) & 0xFFFFu)
                       << shift;
    }
#else
    for (int k = 0; k < BlockBytes; ++k) {
        const char ch = block[k];
        bits.commas |= std::uint64_t(ch == ',') << k;
        bits.minuses |= std::uint64_t(ch == '-') << k;
        bits.others |= std::uint64_t(ch != ',' && ch != '-' && !isDigit(ch)) << k;
    }
#endif
    return bits;
}

// The number of one to seven digits at digits, `length` of them, known to be digits; the eight
// bytes from digits must lie inside the file.
std::int32_t digitsValue(const char* digits, std::ptrdiff_t length) {
    std::uint64_t word;
    std::memcpy(&word, digits, sizeof word);
    // The digits moved to the top of the word, most significant first, zeros below them; then
    // pairs, fours and the eight combined by multiplication.
    std::uint64_t v = (word - 0x3030303030303030u) << unsigned(8 * (8 - length));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
         (((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >>
        32;
    return std::int32_t(v);
}

// The number of one to seven digits in [digits, end); the eight bytes from digits must lie
// inside the file.
bool plainDigits(const char* digits, const char* end, std::int32_t& out) {
    const std::ptrdiff_t length = end - digits;
    if (length < 1 || length > 7) return false;
    std::uint64_t word;
    std::memcpy(&word, digits, sizeof word);
    // Each byte less '0': a digit leaves 0..9, and adding 0x76 keeps that below 0x80; any other
    // byte sets its top bit in one of the two. (A borrow or a carry out of a byte changes only the
    // bytes after it, past a byte already found wrong.)
    constexpr std::uint64_t Ones = 0x0101010101010101u;
    const std::uint64_t values = word - 0x30 * Ones;
    const unsigned unused = unsigned(8 * (8 - length));
    if ((((values | (values + 0x76 * Ones)) & (0x80 * Ones)) << unused) != 0) return false;
    out = digitsValue(digits, length);
    return true;
}

// The value in [begin, end) when it is a plain one.
bool plainValue(const char* begin, const char* end, std::int32_t& out) {
    if (*begin != '-') return plainDigits(begin, end, out);
    if (!plainDigits(begin + 1, end, out)) return false;
    out = -out;
    return true;
}

// Reads the `count` values of the row at p into out; the position after the last value's comma,
// or nullptr when the row holds anything but plain values (or lies too near the file's end).
// commas is scratch room for count + BlockBytes positions.
const char* readPlainRow(const char* p, const char* fileEnd, int count, std::int32_t* out,
                         const char** commas) {
    const char** found = commas;
    const char** const wanted = commas + count;
    std::uint64_t minuses = 0;
    std::uint64_t others = 0;
    for (const char* block = p; found < wanted; block += BlockBytes) {
        if (fileEnd - block < BlockBytes + 8) return nullptr;
        BlockBits bits = classifyBlock(block);
        for (std::uint64_t c = bits.commas; c != 0; c &= c - 1)
            *found++ = block + std::size_t(std::countr_zero(c));
        if (found >= wanted) {
            // The row's last comma is in this block: what follows it is not the row's.
            const auto last = unsigned(commas[count - 1] - block);
            const std::uint64_t upTo = (std::uint64_t(2) << last) - 1; // bits up to that comma
            bits.minuses &= upTo;
            bits.others &= upTo;
        }
        minuses |= bits.minuses;
        others |= bits.others;
    }
    if (others != 0) return nullptr;
    const char* begin = p;
    if (minuses != 0) {
        for (int k = 0; k < count; ++k) {
            if (!plainValue(begin, commas[k], out[k])) return nullptr;
            begin = commas[k] + 1;
        }
        return begin;
    }
    // Digits and commas only: each value needs only its length checked.
    for (int k = 0; k < count; ++k) {
        const std::ptrdiff_t length = commas[k] - begin;
        if (length < 1 || length > 7) return nullptr;
        out[k] = digitsValue(begin, length);
        begin = commas[k] + 1;
    }
    return begin;
}

// What the first three lines hold, and where the rows begin.
struct Header {
    std::string sheetPath;
    int width = 0;
    int height = 0;
    const char* rows = nullptr;
};

Result<Header> readHeader(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (auto problem = encodingProblem(bytes)) return *problem;

    // The path's length first: a line 1 of megabytes is refused as what it is.
    const Line line1 = lineAt(p, end);
    const void* pathComma = std::memchr(line1.begin, ',', std::size_t(line1.end - line1.begin));
    if (std::size_t((pathComma ? static_cast<const char*>(pathComma) : line1.end) - p) >
        MaxSheetPathBytes)
        return readError(i18n("the chip sheet's path on line 1 is too long (at most %1 bytes)",
                              {MaxSheetPathBytes}));
    const char* pathEnd = nullptr;
    auto first = headerLine(p, end, 1, I18N_NOOP("the chip sheet's path"), pathEnd);
    if (!first) return first.error();
    if (sheetPathFault(std::string_view(first->begin, std::size_t(pathEnd - first->begin))) !=
        SheetPathFault::None)
        return readError(
            i18n("the chip sheet's path on line 1 holds characters that cannot be used"));
    if (!first->terminated) return missingLine(2);
    Header h;
    h.sheetPath.assign(first->begin, pathEnd);
    p = first->next;

    auto width = readSide(p, end, 2, I18N_NOOP("the width"));
    if (!width) return width.error();
    auto height = readSide(p, end, 3, I18N_NOOP("the height"));
    if (!height) return height.error();
    h.width = *width;
    h.height = *height;
    h.rows = p;
    return h;
}

// Reads the rows from header.rows to the end of the file, each into rowAt(r) (width values),
// and calls rowRead(r) once row r is read whole.
template <class RowAt, class RowRead>
Status readRows(std::string_view bytes, const Header& header, RowAt rowAt, RowRead rowRead) {
    const char* p = header.rows;
    const char* const end = bytes.data() + bytes.size();
    std::vector<const char*> commas(std::size_t(header.width) + BlockBytes);
    for (int r = 0; r < header.height; ++r) {
        const int line = 4 + r;
        if (p == end) return missingLine(line);
        const char* const rowBegin = p;
        std::int32_t* const out = rowAt(r);
        int c = 0;
        if (const char* after = readPlainRow(p, end, header.width, out, commas.data())) {
            p = after;
            c = header.width;
        }
        // The careful way, value by value, from the start of the row.
        for (; c < header.width; ++c) {
            const char* digits = p;
            if (digits != end && !isDigit(*digits) && *digits != '-') {
                digits = numberStart(digits, end);
                if (!digits) return diagnoseRow(rowBegin, end, line, header.width);
            }
            const auto [next, ec] = std::from_chars(digits, end, out[c]);
            if (ec != std::errc{} || next == end || *next != ',')
                return diagnoseRow(rowBegin, end, line, header.width);
            p = next + 1;
        }
        // Line end: CR LF or LF; the file may also end here, after an optional CR.
        if (p != end && *p == '\r') ++p;
        if (p != end && *p == '\n') {
            ++p;
        } else if (p != end) {
            return diagnoseRow(rowBegin, end, line, header.width);
        } else if (r + 1 < header.height) {
            return missingLine(line + 1);
        }
        rowRead(r);
    }

    // Only empty lines may follow the last row.
    for (int line = 4 + header.height; p != end; ++line) {
        const Line ln = lineAt(p, end);
        if (ln.begin != ln.end) return readError(i18n("extra data from line %1 on", {line}));
        p = ln.next;
    }
    return Ok{};
}

MapContents contentsOf(Header& header) {
    MapContents m;
    m.sheetPath = std::move(header.sheetPath);
    m.width = header.width;
    m.height = header.height;
    return m;
}

// Adds one row's values to the counts.
void countRow(const std::int32_t* row, int width, std::int64_t bound, CellCounts& counts) {
    // A bound past every value counts none; one below every value counts all.
    constexpr std::int64_t Lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t Highest = std::numeric_limits<std::int32_t>::max();
    const bool none = bound > Highest;
    const auto from = std::int32_t(std::clamp(bound, Lowest, Highest));
    std::int32_t lowest = counts.lowest;
    std::int32_t highest = counts.highest;
    int below = 0;
    int above = 0;
    for (int c = 0; c < width; ++c) {
        const std::int32_t v = row[c];
        lowest = v < lowest ? v : lowest;
        highest = v > highest ? v : highest;
        below += v < 0 ? 1 : 0;
        above += v >= from ? 1 : 0;
    }
    counts.lowest = lowest;
    counts.highest = highest;
    counts.belowZero += below;
    if (!none) counts.fromBound += above;
}

} // namespace

Result<MapContents> parseMapFile(std::string_view bytes) {
    auto header = readHeader(bytes);
    if (!header) return header.error();
    MapContents m = contentsOf(*header);
    m.cells.resize(std::size_t(m.width) * m.height);
    std::int32_t* const cells = m.cells.data();
    const std::size_t width = std::size_t(m.width);
    if (auto rows = readRows(
            bytes, *header, [cells, width](int r) { return cells + std::size_t(r) * width; },
            [](int) {});
        !rows)
        return rows.error();
    return m;
}

Result<CountedMap> countMapFile(std::string_view bytes,
                                const std::function<std::int64_t(const MapContents&)>& bound) {
    auto header = readHeader(bytes);
    if (!header) return header.error();
    CountedMap counted;
    counted.contents = contentsOf(*header);
    const std::int64_t from =
        bound ? bound(counted.contents) : std::numeric_limits<std::int64_t>::max();
    CellCounts& counts = counted.counts;
    counts.lowest = std::numeric_limits<std::int32_t>::max();
    counts.highest = std::numeric_limits<std::int32_t>::min();
    std::vector<std::int32_t> row(std::size_t(header->width));
    const int width = header->width;
    if (auto rows = readRows(
            bytes, *header, [&row](int) { return row.data(); },
            [&](int) { countRow(row.data(), width, from, counts); });
        !rows)
        return rows.error();
    return counted;
}

} // namespace tilora
