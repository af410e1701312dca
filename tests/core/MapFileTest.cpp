#include "core/MapFile.h"

#include "core/MapDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace tilora {

// Short form for failure output: a full map would be a million numbers.
static void PrintTo(const MapContents& m, std::ostream* os) {
    *os << "{\"" << m.sheetPath << "\", " << m.width << " x " << m.height << ", " << m.cells.size()
        << " cells}";
}

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

MapContents makeMap(std::string path, int width, int height, std::int32_t fill = 0) {
    MapContents m;
    m.sheetPath = std::move(path);
    m.width = width;
    m.height = height;
    m.cells.assign(std::size_t(width) * height, fill);
    return m;
}

// ---- Writer and reader ----------------------------------------------------------------------

TEST(MapFileFormat, TenByTenExampleIsByteExact) {
    MapContents m = makeMap("D:\\tiles\\sea.bmp", 10, 10);
    m.cells[1] = 17;
    std::string expected = "D:\\tiles\\sea.bmp,\r\n10,\r\n10,\r\n0,17,0,0,0,0,0,0,0,0,\r\n";
    for (int r = 1; r < 10; ++r)
        expected += "0,0,0,0,0,0,0,0,0,0,\r\n";
    EXPECT_EQ(formatMapFile(m), expected);

    auto back = parseMapFile(expected);
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_EQ(*back, m);
}

TEST(MapFileFormat, FullSizeRandomMapRoundTripsByteForByte) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::int32_t> any(std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max());
    MapContents m = makeMap("/home/user/チップ/sheet.bmp", 1000, 1000);
    for (auto& cell : m.cells)
        cell = (random() % 4 == 0) ? any(random) : std::int32_t(random() % 300) - 1;
    m.cells.front() = std::numeric_limits<std::int32_t>::min();
    m.cells.back() = std::numeric_limits<std::int32_t>::max();

    const std::string bytes = formatMapFile(m);
    auto back = parseMapFile(bytes);
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_TRUE(*back == m);
    EXPECT_TRUE(formatMapFile(*back) == bytes);
}

// A path of the system's longest length reads back; one byte more is refused both ways.
TEST(MapFileFormat, LongestSheetPathRoundTripsOneMoreIsRefused) {
    std::string path = "/";
    while (path.size() < MaxSheetPathBytes - 20)
        path += "とても長いフォルダ名/";
    path.resize(MaxSheetPathBytes, 'x');
    const MapContents m = makeMap(path, 1, 1, 5);
    EXPECT_TRUE(checkMapContents(m).ok());
    auto back = parseMapFile(formatMapFile(m));
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_EQ(back->sheetPath, path);

    const MapContents longer = makeMap(path + "x", 1, 1, 5);
    EXPECT_THAT(checkMapContents(longer).error().message, HasSubstr("長すぎます"));
    EXPECT_THAT(parseMapFile(formatMapFile(longer)).error().message,
                HasSubstr("1行目のチップ画像のパスが長すぎます（4096バイトまでです）"));
}

// Other spellings the reader takes: LF-only and mixed line ends, blanks and signs in front of
// values, a missing last line end, empty lines after the last row.
TEST(MapFileFormat, AcceptsLenientSpellings) {
    const MapContents expected = [] {
        MapContents m = makeMap("s.bmp", 3, 2);
        m.cells = {1, -2, 3, 0, 5, 2147483647};
        return m;
    }();
    const char* inputs[] = {
        "s.bmp,\n3,\n2,\n1,-2,3,\n0,5,2147483647,\n",
        "s.bmp,\r\n3,\n2,\r\n1,-2,3,\n0,5,2147483647,\r\n",
        "s.bmp,\r\n +3,\r\n\t2,\r\n+1, -2,  3,\r\n-0,005,+2147483647,\r\n",
        "s.bmp,\r\n3,\r\n2,\r\n1,-2,3,\r\n0,5,2147483647,",
        "s.bmp,\r\n3,\r\n2,\r\n1,-2,3,\r\n0,5,2147483647,\r",
        "s.bmp,\r\n3,\r\n2,\r\n1,-2,3,\r\n0,5,2147483647,\r\n\r\n\n\r\n",
    };
    for (const char* input : inputs) {
        auto m = parseMapFile(input);
        ASSERT_TRUE(m.ok()) << input << "\n" << m.error().message;
        EXPECT_EQ(*m, expected) << input;
    }
}

struct Malformed {
    std::string bytes;
    std::string fragment;
};

// Files the reader refuses, each with a fragment of its message.
std::vector<Malformed> malformedFiles() {
    const std::string head = "s.bmp,\r\n3,\r\n2,\r\n";
    const std::string row = "1,2,3,\r\n";
    return {
        {"", "ファイルが途中で終わっています（1行目がありません）"},
        {"s.bmp", "ファイルが1行目の途中で終わっています"},
        {"s.bmp\r\n3,\r\n", "1行目のチップ画像のパスの後に「,」がありません"},
        {"a,b.bmp,\r\n3,\r\n2,\r\n", "1行目のチップ画像のパスの後に余分な文字があります"},
        {std::string("a\0b,\r\n3,\r\n", 10), "1行目のチップ画像のパスに使えない文字"},
        {"s.bmp,", "ファイルが途中で終わっています（2行目がありません）"},
        {"s.bmp,\r\n", "ファイルが途中で終わっています（2行目がありません）"},
        {"s.bmp,\r\nx,\r\n2,\r\n", "2行目の幅が数値ではありません"},
        {"s.bmp,\r\n3x,\r\n2,\r\n", "2行目の幅が数値ではありません"},
        {"s.bmp,\r\n,\r\n2,\r\n", "2行目の幅が数値ではありません"},
        {"s.bmp,\r\n0,\r\n2,\r\n", "2行目の幅が1～1000の範囲外です"},
        {"s.bmp,\r\n1001,\r\n2,\r\n", "2行目の幅が1～1000の範囲外です"},
        {"s.bmp,\r\n-3,\r\n2,\r\n", "2行目の幅が1～1000の範囲外です"},
        {"s.bmp,\r\n99999999999,\r\n2,\r\n", "2行目の幅が1～1000の範囲外です"},
        {"s.bmp,\r\n3\r\n2,\r\n", "2行目の幅の後に「,」がありません"},
        {"s.bmp,\r\n3,4,\r\n2,\r\n", "2行目の幅の後に余分な文字があります"},
        {"s.bmp,\r\n3,\r\n", "ファイルが途中で終わっています（3行目がありません）"},
        {"s.bmp,\r\n3,\r\n2", "ファイルが3行目の途中で終わっています"},
        {"s.bmp,\r\n3,\r\n+-2,\r\n", "3行目の高さが数値ではありません"},
        {"s.bmp,\r\n3,\r\n1001,\r\n", "3行目の高さが1～1000の範囲外です"},
        {head, "ファイルが途中で終わっています（4行目がありません）"},
        {head + "1,2,\r\n" + row, "4行目の値が足りません（3個のところ2個です）"},
        {head + "\r\n" + row, "4行目の値が足りません（3個のところ0個です）"},
        {head + "1,2,3,4,\r\n" + row, "4行目の値が多すぎます（3個のはずです）"},
        {head + "1,2,3, \r\n" + row, "4行目の3番目の値の後に余分な文字があります"},
        {head + "1,x,3,\r\n" + row, "4行目の2番目の値が数値ではありません"},
        {head + "1,,3,\r\n" + row, "4行目の2番目の値が数値ではありません"},
        {head + "1,2 ,3,\r\n" + row, "4行目の2番目の値が数値ではありません"},
        {head + "1,0x2,3,\r\n" + row, "4行目の2番目の値が数値ではありません"},
        {head + row + "1,2,3\r\n", "5行目の3番目の値の後に「,」がありません"},
        {head + row + "1,2,y\r\n", "5行目の3番目の値が数値ではありません"},
        {head + "1,2,2147483648,\r\n" + row,
         "4行目の3番目の値が-2147483648～2147483647の範囲外です"},
        {head + "-2147483649,2,3,\r\n" + row,
         "4行目の1番目の値が-2147483648～2147483647の範囲外です"},
        {head + row, "ファイルが途中で終わっています（5行目がありません）"},
        {head + "1,2,3,", "ファイルが途中で終わっています（5行目がありません）"},
        {head + row + "4,5", "ファイルが5行目の途中で終わっています"},
        {head + row + "4,5,", "ファイルが5行目の途中で終わっています"},
        {head + row + row + "x", "6行目以降に余分なデータがあります"},
        {head + row + row + row, "6行目以降に余分なデータがあります"},
        {head + row + row + "\r\n \r\n", "7行目以降に余分なデータがあります"},
        // Saved by another editor: what is wrong is named, not a symptom of it.
        {std::string(10 << 20, 'a') + ",\r\n3,\r\n", "1行目のチップ画像のパスが長すぎます"},
        {"s.bmp,\r3,\r2,\r1,2,3,\r1,2,3,\r", "1行目の改行がCRだけです"},
        {head + "1,2,3,\r1,2,3,\r", "4行目の改行がCRだけです"},
        {"\xEF\xBB\xBFs.bmp,\r\n3,\r\n2,\r\n" + row + row, "バイト順マーク（BOM）"},
        {std::string("\xFF\xFEs\0,\0\r\0\n\0", 10), "文字コードがUTF-16です"},
        {std::string("s\0.\0b\0m\0p\0,\0\r\0\n\0", 16), "文字コードがUTF-16です"},
        {std::string("\0s\0,\0\r\0\n", 8), "文字コードがUTF-16です"},
    };
}

TEST(MapFileFormat, RefusesMalformedFilesSayingWhereAndWhat) {
    for (const Malformed& c : malformedFiles()) {
        auto m = parseMapFile(c.bytes);
        ASSERT_FALSE(m.ok()) << "accepted: " << c.bytes;
        EXPECT_THAT(m.error().message, StartsWith("マップデータを読み込めません："));
        EXPECT_THAT(m.error().message, HasSubstr(c.fragment)) << c.bytes;
    }
}

// Rows long enough for the fast reading: what it does not take is read, or refused, exactly as
// in a short row.
TEST(MapFileFormat, LongRowsReadAndRefusedAsShortOnes) {
    constexpr int Width = 40;
    // The field stands for value 7 of line 5 (with its comma, or what replaces it).
    const auto fileWith = [](const std::string& field) {
        std::string bytes = "s.bmp,\r\n40,\r\n3,\r\n";
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < Width; ++c)
                bytes += r == 1 && c == 6 ? field : std::to_string(r * 100 + c) + ",";
            bytes += "\r\n";
        }
        return bytes;
    };
    struct Case {
        std::string field;
        std::optional<std::int32_t> value; // none: refused with the fragment
        std::string fragment;
    };
    const Case cases[] = {
        {"12345678,", 12345678, ""},
        {"-1234567,", -1234567, ""},
        {"-12345678,", -12345678, ""},
        {" +5,", 5, ""},
        {"0005,", 5, ""},
        {"-0,", 0, ""},
        {"2147483647,", 2147483647, ""},
        {"x,", std::nullopt, "5行目の7番目の値が数値ではありません"},
        {",", std::nullopt, "5行目の7番目の値が数値ではありません"},
        {"-,", std::nullopt, "5行目の7番目の値が数値ではありません"},
        {"1-2,", std::nullopt, "5行目の7番目の値が数値ではありません"},
        {"--3,", std::nullopt, "5行目の7番目の値が数値ではありません"},
        {"2147483648,", std::nullopt, "5行目の7番目の値が-2147483648～2147483647の範囲外です"},
        {"1,2,", std::nullopt, "5行目の値が多すぎます（40個のはずです）"},
        {"", std::nullopt, "5行目の値が足りません（40個のところ39個です）"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.field);
        const std::string bytes = fileWith(k.field);
        auto parsed = parseMapFile(bytes);
        if (!k.value) {
            ASSERT_FALSE(parsed.ok());
            EXPECT_THAT(parsed.error().message, HasSubstr(k.fragment));
            continue;
        }
        ASSERT_TRUE(parsed.ok()) << parsed.error().message;
        EXPECT_EQ(parsed->at(1, 6), *k.value);
        EXPECT_EQ(parsed->at(2, Width - 1), 200 + Width - 1);
    }
}

TEST(MapFileFormat, CountingRefusesWhatReadingRefusesInTheSameWords) {
    std::vector<std::string> files;
    for (const Malformed& c : malformedFiles())
        files.push_back(c.bytes);
    // Rows long enough for the fast reading, refused inside it and at its end.
    for (const char* bad : {"x,", "-,", "1,2,"}) {
        std::string row;
        for (int c = 0; c < 40; ++c)
            row += std::to_string(c) + ",";
        files.push_back("s.bmp,\r\n40,\r\n2,\r\n" + row + "\r\n" + row + bad + "\r\n");
    }
    for (const std::string& bytes : files) {
        SCOPED_TRACE(bytes.substr(0, 80));
        const auto counted =
            countMapFile(bytes, [](const MapContents&) { return std::int64_t(0); });
        const auto parsed = parseMapFile(bytes);
        ASSERT_FALSE(parsed.ok());
        ASSERT_FALSE(counted.ok());
        EXPECT_EQ(counted.error().message, parsed.error().message);
    }
}

TEST(MapFileFormat, CountingSaysWhatTheCellsHold) {
    MapContents m = makeMap("s.bmp", 70, 3, 5);
    m.cells[3] = -7;
    m.cells[100] = -1;
    m.cells[150] = 2147483647;
    m.cells[151] = 64;
    m.cells[209] = 63;
    const std::string bytes = formatMapFile(m);
    struct Case {
        std::int64_t bound;
        std::int64_t fromBound;
    };
    for (const Case& k : {Case{64, 2}, Case{63, 3}, Case{0, 208}, Case{std::int64_t(1) << 32, 0},
                          Case{-(std::int64_t(1) << 32), 210}}) {
        SCOPED_TRACE(k.bound);
        MapContents asked;
        const auto counted = countMapFile(bytes, [&](const MapContents& header) {
            asked = header;
            return k.bound;
        });
        ASSERT_TRUE(counted.ok()) << counted.error().message;
        EXPECT_EQ(asked.sheetPath, "s.bmp");
        EXPECT_EQ(counted->contents.width, 70);
        EXPECT_EQ(counted->contents.height, 3);
        EXPECT_TRUE(counted->contents.cells.empty());
        EXPECT_EQ(counted->counts.lowest, -7);
        EXPECT_EQ(counted->counts.highest, 2147483647);
        EXPECT_EQ(counted->counts.belowZero, 2);
        EXPECT_EQ(counted->counts.fromBound, k.fromBound);
    }
}

TEST(MapFileFormat, CheckRefusesContentsThatWouldNotReadBack) {
    EXPECT_TRUE(checkMapContents(makeMap("a.bmp", 1, 1)).ok());
    for (const char* path : {"a,b.bmp", "a\nb.bmp", "a\rb.bmp"}) {
        auto status = checkMapContents(makeMap(path, 10, 10));
        ASSERT_FALSE(status.ok()) << path;
        EXPECT_THAT(status.error().message, StartsWith("保存できません："));
    }
    EXPECT_FALSE(checkMapContents(makeMap("a.bmp", 0, 10)).ok());
    EXPECT_FALSE(checkMapContents(makeMap("a.bmp", 10, 1001)).ok());
    MapContents wrongCount = makeMap("a.bmp", 10, 10);
    wrongCount.cells.pop_back();
    EXPECT_FALSE(checkMapContents(wrongCount).ok());
}

// ---- State --------------------------------------------------------------------------------

TEST(MapFileState, ApplyWritesOnlyTheRectangleAndReadsItBack) {
    MapDocument state;
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 40; ++c)
            state.cell(r, c) = 900 + r * 40 + c;
    state.cell(999, 999) = 77;

    MapContents m = makeMap("b.bmp", 20, 15);
    for (std::size_t i = 0; i < m.cells.size(); ++i)
        m.cells[i] = std::int32_t(i);
    applyMapContents(m, state);

    EXPECT_EQ(state.SheetFileName, "b.bmp");
    EXPECT_EQ(state.MapWidth, 20);
    EXPECT_EQ(state.MapHeight, 15);
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 40; ++c) {
            const std::int32_t want = (r < 15 && c < 20) ? r * 20 + c : 900 + r * 40 + c;
            ASSERT_EQ(state.cell(r, c), want) << "row " << r << " col " << c;
        }
    EXPECT_EQ(state.cell(999, 999), 77);
    EXPECT_EQ(mapContentsFromState(state), m);
}

TEST(MapFileState, StateWithoutAMapIsRefusedForSaving) {
    const MapDocument fresh; // height 0 until a map exists
    EXPECT_FALSE(checkMapContents(mapContentsFromState(fresh)).ok());
}

} // namespace
} // namespace tilora
