#include "core/FileIO.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace tilora {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// ---- Files ----------------------------------------------------------------------------------

class FileIO : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tilora-fileio-XXXXXX").string();
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

TEST_F(FileIO, SaveReplacesContentKeepsModeAndLeavesNoTemporary) {
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
    ASSERT_TRUE(saveFileAtomically(fresh, "fresh\r\n").ok());
    EXPECT_EQ(read(fresh), "fresh\r\n");
    EXPECT_EQ(names(), (std::set<std::string>{"a.map", "b.map"}));
}

TEST_F(FileIO, PiecewiseSaveWritesThePiecesInOrder) {
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

TEST_F(FileIO, SaveIntoMissingFolderFailsAndCreatesNothing) {
    auto saved = saveFileAtomically(path("no-such-folder/a.map"), "data");
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().message, "保存できません：" + std::system_category().message(ENOENT));
    EXPECT_TRUE(names().empty());
}

TEST_F(FileIO, SaveOverAFolderFailsAndLeavesItAlone) {
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
TEST_F(FileIO, FullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string target = path("full.map");
    const std::string old(1000, 'o');
    write(target, old);
    const std::string bigger(300000, 'n');

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

TEST_F(FileIO, ReadWholeFileRefusesMissingAndOversizedFiles) {
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
