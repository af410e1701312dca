// Finding a map's chip sheet when the path in the file does not lead to it here: decoding
// Shift-JIS paths, the map's folder, and the sheet beside the map under its own name.

#include "platform/SheetSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tilora::test {
namespace {

// 表 (0x95 0x5C) and ソ (0x83 0x5C) end in the byte of the backslash; ～ is 0x81 0x60.
const std::string kSjisHyou = "\x95\x5C";
const std::string kSjisSo = "\x83\x5C";

TEST(SheetSearch, DecodesUtf8AsItIsAndOtherBytesAsCodePage932) {
    EXPECT_EQ(decodeSheetPath("/home/a/タイル.bmp"), QStringLiteral("/home/a/タイル.bmp"));
    EXPECT_EQ(decodeSheetPath("C:\\" + kSjisHyou + "\x8E\xA6\\" + kSjisSo + "\x81\x5B\x83\x58.bmp"),
              QStringLiteral("C:\\表示\\ソース.bmp"));
    // Code page 932's own choices: ～ is the full-width tilde, 0x5C and 0x7E stay ASCII.
    EXPECT_EQ(decodeSheetPath("\x81\x60~\\\x87\x40"), QStringLiteral("\uFF5E~\\\u2460"));
    // Half-width katakana (single bytes).
    EXPECT_EQ(decodeSheetPath("\xC0\xB2\xD9.bmp"), QStringLiteral("ﾀｲﾙ.bmp"));
    // A lead byte with nothing after it is neither.
    EXPECT_EQ(decodeSheetPath("a\x95"), std::nullopt);
}

class SheetSearchFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        mapFile = path(QStringLiteral("maps/level.map"));
        QDir(dir.path()).mkpath(QStringLiteral("maps/tiles"));
    }
    QString path(const QString& relative) const { return dir.filePath(relative); }
    QString touch(const QString& relative) const {
        QFile f(path(relative));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << relative.toStdString();
        return QFileInfo(f).absoluteFilePath();
    }

    QTemporaryDir dir;
    QString mapFile;
};

TEST_F(SheetSearchFolder, FindsTheSheetInOrder) {
    const QString absolute = touch(QStringLiteral("elsewhere.bmp"));
    const QString inTiles = touch(QStringLiteral("maps/tiles/sea.bmp"));
    const QString beside = touch(QStringLiteral("maps/Sea.bmp"));
    const QString kana = touch(QStringLiteral("maps/表示ソース.bmp"));

    struct Case {
        std::string written;
        QString expected;
    };
    const std::vector<Case> cases = {
        {absolute.toStdString(), absolute}, // as written
        {"tiles/sea.bmp", inTiles},         // relative to the map
        {"tiles\\sea.bmp", inTiles},        // the same, written on Windows
        {"./tiles/../tiles/sea.bmp", inTiles},
        {"D:\\work\\art\\sea.bmp", beside},     // beside, letter case ignored
        {"/gone/away/SEA.BMP", beside},         // an old absolute path
        {"\\\\server\\share\\Sea.bmp", beside}, // a network path
        {"E:\\" + kSjisHyou + "\x8E\xA6\\" + kSjisHyou + "\x8E\xA6" + kSjisSo +
             "\x81\x5B\x83\x58.bmp",
         kana}, // Shift-JIS, a backslash byte inside 表 and ソ
    };
    for (const Case& c : cases) {
        const SheetSearchResult r = findSheet(c.written, mapFile);
        EXPECT_EQ(r.path, c.expected) << c.written;
        EXPECT_TRUE(r.found()) << c.written;
    }
}

TEST_F(SheetSearchFolder, PrefersTheExactNameAndSkipsFolders) {
    touch(QStringLiteral("maps/sea.bmp"));
    const QString exact = touch(QStringLiteral("maps/SEA.bmp"));
    EXPECT_EQ(findSheet("C:\\x\\SEA.bmp", mapFile).path, exact);

    QDir(dir.path()).mkpath(QStringLiteral("maps/land.bmp"));
    EXPECT_FALSE(findSheet("C:\\x\\land.bmp", mapFile).found());
    EXPECT_FALSE(findSheet("tiles", mapFile).found()); // a folder, not a sheet

    // A FIFO would block the load that opens it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("maps/pipe.bmp"))).constData(), 0600),
              0);
    EXPECT_FALSE(findSheet("C:\\x\\PIPE.bmp", mapFile).found());
    EXPECT_FALSE(findSheet("pipe.bmp", mapFile).found());
}

TEST_F(SheetSearchFolder, NothingFoundNamesThePathAsWritten) {
    const std::string written = "C:\\" + kSjisHyou + "\x8E\xA6\\none.bmp";
    const SheetSearchResult r = findSheet(written, mapFile);
    EXPECT_FALSE(r.found());
    EXPECT_EQ(r.lookedFor, QStringLiteral("C:\\表示\\none.bmp"));
    EXPECT_FALSE(findSheet("", mapFile).found());
    EXPECT_FALSE(findSheet("C:\\", mapFile).found());
}

TEST_F(SheetSearchFolder, ARelativePathIsNotTakenFromTheWorkingDirectory) {
    const QString here = touch(QStringLiteral("cwd.bmp"));
    ASSERT_FALSE(here.isEmpty());
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const SheetSearchResult r = findSheet("sub/../cwd.bmp", mapFile);
    QDir::setCurrent(old);
    EXPECT_FALSE(r.found()) << r.path.toStdString();
}

TEST(SheetSearch, PathBytesAreUtf8) {
    EXPECT_EQ(sheetPathBytes(QStringLiteral("/a/表示.bmp")), "/a/\xE8\xA1\xA8\xE7\xA4\xBA.bmp");
}

} // namespace
} // namespace tilora::test
