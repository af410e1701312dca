#include "core/FileIO.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <set>
#include <system_error>
#include <tuple>

namespace tilora {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr uid_t Nobody = 65534; // user nobody and group nogroup

class FileIO : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tilora-fileio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::set<std::string> names(const std::string& sub = ".") const {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_ / sub))
            out.insert(e.path().filename().string());
        return out;
    }
    static void write(const std::string& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static std::string read(const std::string& p) {
        auto r = readWholeFile(p);
        return r.ok() ? std::string(r->view()) : "<unreadable: " + r.error().message + ">";
    }

    // Runs body in a child process, bounded by an alarm so that a hang fails instead of
    // stalling the run; returns what the body returned, or why the child did not finish.
    std::string inChild(const std::function<std::string()>& body) const {
        // A refused save here first loads the message catalog into this process, which the child
        // keeps: once it has dropped its rights it may not read the catalog (a build under /root).
        EXPECT_EQ(messageOf(saveFileAtomically(path("no/folder.map"), "")), saveRefused(ENOENT));
        int fds[2];
        if (::pipe(fds) != 0) return "<no pipe>";
        const pid_t child = ::fork();
        if (child < 0) return "<no fork>";
        if (child == 0) {
            ::close(fds[0]);
            ::alarm(10);
            const std::string out = body();
            (void)!::write(fds[1], out.data(), out.size());
            ::_exit(0);
        }
        ::close(fds[1]);
        std::string out;
        char buf[512];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
            out.append(buf, std::size_t(n));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status))
            return "<child ended by signal " + std::to_string(WTERMSIG(status)) + ">";
        return out;
    }
    static std::string messageOf(const Status& s) { return s.ok() ? "<saved>" : s.error().message; }
    static std::string saveRefused(int err) {
        return "保存できません：" + std::system_category().message(err);
    }

    fs::path dir_;
};

class SaveTargets : public FileIO {};
// The tests that need root, in a suite of their own: a suite where a test skips is reported as
// skipped as a whole, and the other suites then show as run.
class FileIOAsRoot : public FileIO {};

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

// Root saving another user's file must hand it back with that user's owner and group.
TEST_F(FileIOAsRoot, SaveKeepsAnotherUsersOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: only root may give a file to another user";
    const std::string target = path("theirs.map");
    write(target, "old");
    ASSERT_EQ(::chown(target.c_str(), Nobody, Nobody), 0);
    ASSERT_TRUE(saveFileAtomically(target, "new").ok());
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, Nobody);
    EXPECT_EQ(st.st_gid, Nobody);
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

    // A producer that gives up by throwing leaves the old file and no temporary behind.
    EXPECT_THROW((void)saveFileAtomically(target,
                                          [&, calls = 0]() mutable -> std::string_view {
                                              if (++calls > 1) throw std::bad_alloc();
                                              return pieces[0];
                                          }),
                 std::bad_alloc);
    EXPECT_EQ(read(target), pieces[0] + pieces[1] + pieces[2]);
    EXPECT_EQ(names(), std::set<std::string>{"big.bmp"});
}

// Neither a missing folder nor a folder in the way is created, replaced or written into.
TEST_F(FileIO, SaveWhereNoFileCanGoIsRefusedAndChangesNothing) {
    fs::create_directory(path("a.map"));
    write(path("a.map/inside"), "x");
    EXPECT_EQ(messageOf(saveFileAtomically(path("no-such-folder/a.map"), "data")),
              saveRefused(ENOENT));
    EXPECT_THAT(messageOf(saveFileAtomically(path("a.map"), "data")),
                StartsWith("保存できません："));
    EXPECT_EQ(names(), std::set<std::string>{"a.map"});
    EXPECT_EQ(read(path("a.map/inside")), "x");
}

// A full disk, simulated with a file size limit in a child process: writes beyond the limit
// fail (the first one only partly), and the old file must come through untouched. The signal the
// limit raises is left at its default, which would end the process: the save must fail instead.
TEST_F(SaveTargets, FileSizeLimitFailsTheWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string target = path("full.map");
    const std::string old(1000, 'o');
    write(target, old);
    const std::string message = inChild([&]() -> std::string {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return "<no limit>";
        return messageOf(saveFileAtomically(target, std::string(300000, 'n')));
    });
    EXPECT_EQ(message, saveRefused(EFBIG));
    EXPECT_TRUE(read(target) == old);
    EXPECT_EQ(names(), std::set<std::string>{"full.map"});
}

TEST_F(FileIO, ReadGivesTheWholeFileOrItsHead) {
    write(path("ten.map"), "0123456789");
    EXPECT_EQ(read(path("ten.map")), "0123456789");
    EXPECT_EQ(readWholeFile(path("ten.map"), 10)->view(), "0123456789");
    EXPECT_EQ(readFileHead(path("ten.map"), 4)->view(), "0123");
    EXPECT_EQ(readFileHead(path("ten.map"), 99)->view(), "0123456789");
    // Large enough for the buffer mapped at once.
    const std::string large(std::size_t(1) << 20, 'm');
    write(path("large.map"), large);
    EXPECT_TRUE(read(path("large.map")) == large);
}

// Targets that are not plain files get written into, never replaced.
TEST_F(SaveTargets, SpecialFilesAreWrittenIntoAndStayWhatTheyAre) {
    // A pipe with its reader, a null device and a link to it. Root makes a null device of its
    // own here, so that a save that went wrong could not replace the system's /dev/null; an
    // ordinary user, who may not make devices, uses the system's, which such a user's save could
    // not replace either.
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    const int reader = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string device = "/dev/null";
    std::set<std::string> made = {"null-link", "pipe"};
    if (::geteuid() == 0) {
        ASSERT_EQ(::mknod(path("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
        device = path("null");
        made.insert("null");
    }
    ASSERT_EQ(::symlink(device.c_str(), path("null-link").c_str()), 0);

    for (const std::string& target : {path("pipe"), device, path("null-link")})
        EXPECT_EQ(messageOf(saveFileAtomically(target, "map bytes")), "<saved>") << target;
    char buf[64] = {};
    EXPECT_EQ(::read(reader, buf, sizeof buf), 9);
    EXPECT_EQ(std::string(buf), "map bytes");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(path("pipe")));
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_symlink(path("null-link")));
    EXPECT_EQ(names(), made);
}

// Root may write a 0444 file; an ordinary user may not, and must be told so. Run as root, the
// save is made as user nobody; run as an ordinary user, as that user.
TEST_F(SaveTargets, ReadOnlyFileIsRefusedWithTheSystemsReason) {
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0); // the folder itself would let anyone rename
    const std::string target = path("locked.map");
    write(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    const std::string message = inChild([&]() -> std::string {
        if (::geteuid() == 0 &&
            (::setresgid(Nobody, Nobody, Nobody) != 0 || ::setresuid(Nobody, Nobody, Nobody) != 0))
            return "<cannot become nobody>";
        return messageOf(saveFileAtomically(target, "new"));
    });
    EXPECT_EQ(message, saveRefused(EACCES));
    EXPECT_EQ(read(target), "old");
    EXPECT_EQ(names(), std::set<std::string>{"locked.map"});
}

TEST_F(SaveTargets, SymbolicLinksAreSavedThroughOrRefusedWhenTheyLoop) {
    struct Case {
        std::string link, pointsTo; // pointsTo relative to the link's folder
        std::string created;        // the file that must hold the bytes; empty: refused
    };
    fs::create_directory(path("sub"));
    write(path("sub/real.map"), "old");
    ASSERT_EQ(::symlink("b-loop", path("a-loop").c_str()), 0);
    const Case cases[] = {
        {"to-file", "sub/real.map", "sub/real.map"},
        {"dangling", "sub/new.map", "sub/new.map"},
        {"b-loop", "a-loop", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        ASSERT_EQ(::symlink(c.pointsTo.c_str(), path(c.link).c_str()), 0);
        auto saved = saveFileAtomically(path(c.link), "new");
        if (c.created.empty()) {
            EXPECT_EQ(messageOf(saved), saveRefused(ELOOP));
        } else {
            EXPECT_TRUE(saved.ok()) << messageOf(saved);
            EXPECT_EQ(read(path(c.created)), "new");
        }
        EXPECT_TRUE(fs::is_symlink(path(c.link)));
    }
    EXPECT_EQ(names(), (std::set<std::string>{"a-loop", "b-loop", "dangling", "sub", "to-file"}));
    EXPECT_EQ(names("sub"), (std::set<std::string>{"new.map", "real.map"}));
}

// Files a rename cannot replace are written in place: every hard link sees the new bytes, and a
// write that fails half-way (a file-size limit, as a full disk) puts the old bytes back. Root sets
// up the folders, user nobody saves: into a folder of root's that nobody may not write, and into
// a sticky folder (as /tmp) over a file of root's that anyone may write but only root rename.
TEST_F(FileIOAsRoot, FileARenameCannotReplaceIsWrittenInPlaceOrPutBack) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to save as another user (nobody)";
    struct Case {
        const char* what;
        bool hardLink;      // a second name beside the file
        mode_t folderMode;  // the folder is root's
        uid_t fileOwner;    // the file is 0666
        std::size_t length; // of the new content; over the 4096-byte limit fails
    };
    const Case cases[] = {
        {"hard link", true, 0777, Nobody, 100},
        {"hard link, disk full", true, 0777, Nobody, 9000},
        {"closed folder", false, 0755, Nobody, 100},
        {"closed folder, disk full", false, 0755, Nobody, 9000},
        {"sticky folder", false, 01777, 0, 100},
        {"sticky folder, disk full", false, 01777, 0, 9000},
    };
    ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0); // nobody may reach the folders inside
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path("f"));
        fs::create_directory(path("f"));
        const std::string target = path("f/one.map"), other = path("f/two.map");
        const std::string old(1000, 'o'), fresh(c.length, 'n');
        write(target, old);
        ASSERT_EQ(::chown(target.c_str(), c.fileOwner, c.fileOwner), 0);
        ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
        if (c.hardLink) {
            ASSERT_EQ(::link(target.c_str(), other.c_str()), 0);
        }
        ASSERT_EQ(::chmod(path("f").c_str(), c.folderMode), 0);
        struct stat before {};
        ASSERT_EQ(::stat(target.c_str(), &before), 0);

        const std::string message = inChild([&]() -> std::string {
            std::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{4096, 4096};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return "<no limit>";
            if (::setresgid(Nobody, Nobody, Nobody) != 0 ||
                ::setresuid(Nobody, Nobody, Nobody) != 0)
                return "<cannot become nobody>";
            return messageOf(saveFileAtomically(target, fresh));
        });
        const bool fits = c.length <= 4096;
        EXPECT_EQ(message, fits ? "<saved>" : saveRefused(EFBIG));
        EXPECT_TRUE(read(target) == (fits ? fresh : old));
        if (c.hardLink) {
            EXPECT_TRUE(read(other) == read(target));
        }
        struct stat after {};
        ASSERT_EQ(::stat(target.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(names("f").size(), c.hardLink ? 2u : 1u);
    }
}

// The editor's save: nothing but a regular file or a new name is written, and the message says
// what the target is.
TEST_F(SaveTargets, RefusedSpecialTargetsAreNamedAndLeftAlone) {
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    const int reader = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    fs::create_directory(path("folder"));
    const std::pair<std::string, const char*> cases[] = {
        {path("pipe"), "名前付きパイプ"},
        {"/dev/null", "デバイス"},
        {path("folder"), "フォルダー"},
    };
    for (const auto& [target, kind] : cases) {
        EXPECT_EQ(messageOf(saveFileAtomically(target, "map bytes", SpecialTargets::Refuse)),
                  "保存できません：保存先が" + std::string(kind) +
                      "です（通常のファイルにだけ保存できます）");
    }
    char buf[16];
    EXPECT_EQ(::read(reader, buf, sizeof buf), 0); // nothing was sent into the pipe
    ::close(reader);
    EXPECT_EQ(names(), (std::set<std::string>{"folder", "pipe"}));
}

// Every refusal of the one reader, with its reason. A pipe with nobody writing to it would block
// a plain open for good; the alarm bounds the wait.
TEST_F(FileIO, ReadRefusesWhatIsNotARegularFileWithinTheLimitWithoutWaiting) {
    write(path("ten.map"), "0123456789");
    fs::create_directory(path("folder"));
    ASSERT_EQ(::mkfifo(path("pipe.map").c_str(), 0600), 0);
    const std::tuple<const char*, std::size_t, const char*> cases[] = {
        {"none.map", 64, "ファイルがありません"},
        {"folder", 64, "フォルダーです"},
        {"pipe.map", 64, "通常のファイルではありません"},
        {"ten.map", 9, "ファイルが大きすぎます"},
    };
    for (const auto& [name, limit, reason] : cases) {
        const std::string message = inChild([&, name = name, limit = limit]() -> std::string {
            auto r = readWholeFile(path(name), limit);
            return r.ok() ? "<read>" : r.error().message;
        });
        EXPECT_THAT(message, AllOf(StartsWith("ファイルを読み込めません："), HasSubstr(reason)))
            << name;
    }
    EXPECT_FALSE(readFileHead(path("folder"), 4).ok());
}

} // namespace
} // namespace tilora
