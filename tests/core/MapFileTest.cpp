#include "core/MapFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace tilora {

// Short form for failure output: a full map would be a million numbers.
static void PrintTo(const MapContents& m, std::ostream* os) {
    *os << "{\"" << m.sheetPath << "\", " << m.width << " x " << m.height << ", " << m.cells.size()
        << " cells}";
}

namespace {

namespace fs = std::filesystem;
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

TEST(MapFileFormat, LongSheetPathRoundTrips) {
    std::string path = "/";
    while (path.size() < 5000)
        path += "とても長いフォルダ名/";
    path += "sheet.bmp";
    const MapContents m = makeMap(path, 1, 1, 5);
    EXPECT_TRUE(checkMapContents(m).ok());
    auto back = parseMapFile(formatMapFile(m));
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_EQ(back->sheetPath, path);
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

TEST(MapFileFormat, RefusesMalformedFilesSayingWhereAndWhat) {
    const std::string head = "s.bmp,\r\n3,\r\n2,\r\n";
    const std::string row = "1,2,3,\r\n";
    const std::vector<Malformed> cases = {
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
    };
    for (const Malformed& c : cases) {
        auto m = parseMapFile(c.bytes);
        ASSERT_FALSE(m.ok()) << "accepted: " << c.bytes;
        EXPECT_THAT(m.error().message, StartsWith("マップデータを読み込めません："));
        EXPECT_THAT(m.error().message, HasSubstr(c.fragment)) << c.bytes;
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
    EditorState state;
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
    const EditorState fresh; // height 0 until a map exists
    EXPECT_FALSE(checkMapContents(mapContentsFromState(fresh)).ok());
}

// ---- Files ----------------------------------------------------------------------------------

class MapFileDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tilora-mapfile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_))
            out.insert(e.path().filename().string());
        return out;
    }
    static void write(const std::string& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static std::string read(const std::string& p) {
        auto r = readWholeFile(p);
        return r.ok() ? *r : "<unreadable: " + r.error().message + ">";
    }

    fs::path dir_;
};

TEST_F(MapFileDisk, SaveReplacesContentKeepsModeAndLeavesNoTemporary) {
    const std::string target = path("a.map");
    write(target, "old content that is longer than the new one");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);

    auto saved = saveFileAtomically(target, "new");
    ASSERT_TRUE(saved.ok()) << saved.error().message;
    EXPECT_EQ(read(target), "new");
    EXPECT_EQ(names(), std::set<std::string>{"a.map"});
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A new file comes out the same way.
    const std::string fresh = path("b.map");
    ASSERT_TRUE(saveFileAtomically(fresh, formatMapFile(makeMap("x.bmp", 2, 2, -1))).ok());
    auto back = parseMapFile(read(fresh));
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_EQ(*back, makeMap("x.bmp", 2, 2, -1));
    EXPECT_EQ(names(), (std::set<std::string>{"a.map", "b.map"}));
}

TEST_F(MapFileDisk, PiecewiseSaveWritesThePiecesInOrder) {
    const std::string target = path("big.bmp");
    write(target, "old");
    const std::vector<std::string> pieces = {"header", std::string(100000, 'x'), "tail"};
    std::size_t next = 0;
    auto saved = saveFileAtomically(target, [&]() -> std::string_view {
        return next < pieces.size() ? std::string_view(pieces[next++]) : std::string_view();
    });
    ASSERT_TRUE(saved.ok()) << saved.error().message;
    EXPECT_EQ(read(target), pieces[0] + pieces[1] + pieces[2]);
    EXPECT_EQ(names(), std::set<std::string>{"big.bmp"});
}

TEST_F(MapFileDisk, SaveIntoMissingFolderFailsAndCreatesNothing) {
    auto saved = saveFileAtomically(path("no-such-folder/a.map"), "data");
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().message, "保存できません：" + std::system_category().message(ENOENT));
    EXPECT_TRUE(names().empty());
}

TEST_F(MapFileDisk, SaveOverAFolderFailsAndLeavesItAlone) {
    fs::create_directory(path("a.map"));
    write(path("a.map/inside"), "x");
    auto saved = saveFileAtomically(path("a.map"), "data");
    ASSERT_FALSE(saved.ok());
    EXPECT_THAT(saved.error().message, StartsWith("保存できません："));
    EXPECT_EQ(names(), std::set<std::string>{"a.map"});
    EXPECT_EQ(read(path("a.map/inside")), "x");
}

// A full disk, simulated with a file size limit in a child process: writes beyond the limit
// fail (the first one only partly), and the old file must come through untouched.
TEST_F(MapFileDisk, FullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string target = path("full.map");
    const std::string old = formatMapFile(makeMap("old.bmp", 10, 10, 3));
    write(target, old);
    const std::string bigger = formatMapFile(makeMap("new.bmp", 300, 300, 12345));

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
        auto saved = saveFileAtomically(target, bigger);
        if (saved.ok()) ::_exit(1);
        const std::string& msg = saved.error().message;
        (void)!::write(pipeFds[1], msg.data(), msg.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string message;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
        message.append(buf, std::size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "1: the save reported success, 2: no limit";

    EXPECT_EQ(message, "保存できません：" + std::system_category().message(EFBIG));
    EXPECT_TRUE(read(target) == old);
    EXPECT_EQ(names(), std::set<std::string>{"full.map"});
}

TEST_F(MapFileDisk, ReadWholeFileRefusesMissingAndOversizedFiles) {
    auto missing = readWholeFile(path("none.map"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().message,
              "ファイルを読み込めません：" + std::system_category().message(ENOENT));

    write(path("ten.map"), "0123456789");
    EXPECT_EQ(read(path("ten.map")), "0123456789");
    EXPECT_TRUE(readWholeFile(path("ten.map"), 10).ok());
    auto big = readWholeFile(path("ten.map"), 9);
    ASSERT_FALSE(big.ok());
    EXPECT_THAT(big.error().message, HasSubstr("大きすぎます"));
}

} // namespace
} // namespace tilora
