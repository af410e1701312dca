#include "FileIO.h"

#include "PageMemory.h"
#include "Texts.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <system_error>

namespace tilora {

namespace {

std::atomic<TemporaryFileWatcher> temporaryFileWatcher{nullptr};

// Tells the watcher each temporary file's name before the file is created, so that no moment
// passes with the file on disk and its name unknown, and takes the name back when the save ends.
// (A name found taken is announced only for the moment of one refused open; with 48 random bits
// in it that does not happen in practice.)
class TemporaryFileNotice {
  public:
    TemporaryFileNotice() : watcher_(temporaryFileWatcher.load()) {}
    TemporaryFileNotice(const TemporaryFileNotice&) = delete;
    TemporaryFileNotice& operator=(const TemporaryFileNotice&) = delete;
    ~TemporaryFileNotice() {
        if (watcher_) watcher_(nullptr);
    }
    void announce(const std::string& path) const {
        if (watcher_) watcher_(path.c_str());
    }

  private:
    TemporaryFileWatcher watcher_;
};

std::string reason(int err) {
    return std::system_category().message(err);
}

Error saveRefusal(const std::string& why) {
    return Error{i18n("Cannot save: %1", {why})};
}

Error readRefusal(const std::string& why) {
    return Error{i18n("Cannot read the file: %1", {why})};
}

// Closes a descriptor on every path out of a function.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result; close can reveal a failed delayed write.
    int closeChecked() {
        const int r = ::close(fd_);
        fd_ = -1;
        return r;
    }

  private:
    int fd_;
};

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do
        fd = ::open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of bytes, going on after partial writes and interruptions; 0 or an errno value.
int writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, std::min<std::size_t>(left, std::size_t(1) << 30));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        p += n;
        left -= std::size_t(n);
    }
    return 0;
}

int fsyncRetrying(int fd) {
    int r;
    do
        r = ::fsync(fd);
    while (r < 0 && errno == EINTR);
    return r;
}

// A name beside the target that no other file has: "<name>.<random>.tmp", created exclusively
// so that the umask applies to it as to any new file.
int createTemporary(const std::string& dir, const std::string& base, std::string& tmpPath,
                    const TemporaryFileNotice& notice) {
    // One generator per thread: the editor saves a map on its own thread while a recovery copy
    // is being saved on another.
    static thread_local std::mt19937_64 random{std::random_device{}() ^ std::uint64_t(::getpid())};
    // Leave room in the name for the suffix; NAME_MAX is 255 on the usual file systems.
    const std::string stem = base.substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                      static_cast<unsigned long long>(random() & 0xffffffffffffULL));
        tmpPath = dir + "/" + stem + suffix;
        notice.announce(tmpPath);
        const int fd = openRetrying(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A full file system or a file-size limit must show as a failed write (EFBIG) that the save can
// report and clean up after, not as a signal that ends the process with the temporary file left
// behind. A handler the program installed itself is left alone.
void ignoreFileSizeSignal() {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

// The path a dangling symbolic link points to, following a chain of links as opening the path
// would; ELOOP after as many links as the system follows.
int followLinks(std::string& path) {
    constexpr int MaxLinks = 40;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode)) return 0;
        if (hops == MaxLinks) return ELOOP;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0) return errno;
        if (std::size_t(n) >= link.size()) return ENAMETOOLONG;
        link.resize(std::size_t(n));
        path = link.front() == '/' ? link : directoryOf(path) + "/" + link;
    }
}

// Writes into an existing special file (a device, a pipe, a terminal) the way a shell
// redirection does: opened for writing, no temporary file, nothing renamed over it.
Status writeInPlace(const std::string& path, const std::function<std::string_view()>& nextPiece) {
    Descriptor fd{openRetrying(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY)};
    if (fd.get() < 0) return saveRefusal(reason(errno));
    for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece()) {
        if (const int err = writeAll(fd.get(), piece)) return saveRefusal(reason(err));
    }
    if (fd.closeChecked() != 0) return saveRefusal(reason(errno));
    return Ok{};
}

// The refusal of a target that is not a regular file, saying what it is.
Error notAFile(mode_t mode) {
    const std::string what = S_ISDIR(mode)    ? i18n("the destination is a folder")
                             : S_ISFIFO(mode) ? i18n("the destination is a named pipe")
                             : S_ISCHR(mode) || S_ISBLK(mode) ? i18n("the destination is a device")
                             : S_ISSOCK(mode)                 ? i18n("the destination is a socket")
                                              : i18n("the destination is not an ordinary file");
    return saveRefusal(i18n("%1 (only ordinary files can be saved to)", {what}));
}

// Writes all of bytes at offset `at`, as writeAll does.
int writeAllAt(int fd, std::string_view bytes, off_t at) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, p, std::min<std::size_t>(left, std::size_t(1) << 30), at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        p += n;
        at += n;
        left -= std::size_t(n);
    }
    return 0;
}

// The whole content of an open regular file, read from its start; 0 or an errno value.
int readAllFrom(int fd, std::string& out) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    try {
        out.reserve(std::size_t(st.st_size));
        char chunk[65536];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(fd, chunk, sizeof chunk, at);
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (n == 0) return 0;
            out.append(chunk, std::size_t(n));
            at += n;
        }
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

// The content of fd made exactly `bytes` and flushed to disk; 0 or an errno value.
int replaceContent(int fd, std::string_view bytes) {
    if (const int err = writeAllAt(fd, bytes, 0)) return err;
    if (::ftruncate(fd, off_t(bytes.size())) != 0) return errno;
    return fsyncRetrying(fd) != 0 ? errno : 0;
}

// A failed save whose file could not be given its old bytes back either.
Error notRestored(const std::string& why) {
    return saveRefusal(i18n("%1 (and the old content could not be put back)", {why}));
}

// Writes over an existing regular file that cannot be replaced by a rename. Its old bytes are
// read first and written back if any step fails, so the file ends either wholly new or as it was.
Status saveInPlace(const std::string& path, const std::function<std::string_view()>& nextPiece) {
    Descriptor fd{openRetrying(path.c_str(), O_RDWR | O_NOCTTY)};
    if (fd.get() < 0) return saveRefusal(reason(errno));
    std::string old;
    if (const int err = readAllFrom(fd.get(), old)) return saveRefusal(reason(err));

    const auto fail = [&](int err) {
        if (replaceContent(fd.get(), old) != 0) return notRestored(reason(err));
        return saveRefusal(reason(err));
    };
    off_t at = 0;
    // A producer that throws leaves the old content behind it, as a failed write does.
    try {
        for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece()) {
            if (const int err = writeAllAt(fd.get(), piece, at)) return fail(err);
            at += off_t(piece.size());
        }
    } catch (...) {
        (void)replaceContent(fd.get(), old);
        throw;
    }
    if (::ftruncate(fd.get(), at) != 0) return fail(errno);
    if (fsyncRetrying(fd.get()) != 0) return fail(errno);
    if (fd.closeChecked() != 0) {
        const int err = errno;
        Descriptor again{openRetrying(path.c_str(), O_RDWR | O_NOCTTY)};
        if (again.get() >= 0 && replaceContent(again.get(), old) == 0)
            return saveRefusal(reason(err));
        return notRestored(reason(err));
    }
    return Ok{};
}

// Whether a failure to create a file beside the target, or to rename over it, means only that
// the folder is closed to the user (or the name pinned), so that writing in place may still work.
bool folderRefused(int err) {
    return err == EACCES || err == EPERM || err == EROFS || err == EBUSY || err == EXDEV;
}

} // namespace

namespace {

// A buffer for a file's bytes. A large one is taken in large pages (core/PageMemory): faulting
// 4 KB pages in one by one as read() fills them costs more than reading the file.
std::shared_ptr<char> makeReadBuffer(std::size_t size) {
    auto pages = std::make_shared<PageBuffer>(std::max<std::size_t>(size, 1));
    char* const data = pages->data();
    return std::shared_ptr<char>(std::move(pages), data);
}

// Reads a regular file up to `limit` bytes; beyond that, a refusal or (for a head) the end of
// reading.
Result<FileBytes> readRegularFile(const std::string& path, std::size_t limit, bool head) {
    // Opening a pipe without a writer would wait for one; opened without blocking, it is refused
    // below like every other file that is not a regular one.
    Descriptor fd{openRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY)};
    if (fd.get() < 0)
        return readRefusal(errno == ENOENT ? i18n("the file does not exist") : reason(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return readRefusal(reason(errno));
    if (!S_ISREG(st.st_mode))
        return readRefusal(S_ISDIR(st.st_mode) ? i18n("it is a folder")
                                               : i18n("not an ordinary file"));
    const auto tooLarge = [&] {
        return readRefusal(i18n("the file is too large (the limit is %1 bytes)", {limit}));
    };
    if (!head && std::uintmax_t(st.st_size) > limit) return tooLarge();

    // One byte more than the size seen, so that a file that grew since shows; the size is only a
    // hint, and a file that grew is read on, to one byte past the limit at most.
    const std::size_t most = limit + 1;
    std::size_t capacity =
        std::size_t(std::min<std::uintmax_t>(std::uintmax_t(st.st_size) + 1, most));
    std::shared_ptr<char> buffer = makeReadBuffer(capacity);
    std::size_t have = 0;
    for (;;) {
        if (have == capacity) {
            if (capacity == most) break;
            const std::size_t larger = std::min(capacity * 2, most);
            std::shared_ptr<char> grown = makeReadBuffer(larger);
            std::memcpy(grown.get(), buffer.get(), have);
            buffer = std::move(grown);
            capacity = larger;
        }
        const ssize_t n = ::read(fd.get(), buffer.get() + have, capacity - have);
        if (n < 0) {
            if (errno == EINTR) continue;
            return readRefusal(reason(errno));
        }
        if (n == 0) break;
        have += std::size_t(n);
    }
    if (have > limit) {
        if (!head) return tooLarge();
        have = limit;
    }
    return FileBytes(std::move(buffer), have);
}

} // namespace

FileBytes::FileBytes(std::string bytes) {
    auto owner = std::make_shared<std::string>(std::move(bytes));
    size_ = owner->size();
    data_ = std::shared_ptr<const char>(owner, owner->data());
}

Result<FileBytes> readWholeFile(const std::string& path, std::size_t maxBytes) {
    return readRegularFile(path, maxBytes, false);
}

Result<FileBytes> readFileHead(const std::string& path, std::size_t count) {
    return readRegularFile(path, count, true);
}

Status saveFileAtomically(const std::string& path, std::string_view bytes, SpecialTargets special) {
    bool given = false;
    return saveFileAtomically(
        path,
        [&]() -> std::string_view {
            if (given) return {};
            given = true;
            return bytes.empty() ? std::string_view() : bytes;
        },
        special);
}

Status saveFileAtomically(const std::string& path,
                          const std::function<std::string_view()>& nextPiece,
                          SpecialTargets special) {
    if (path.empty()) return saveRefusal(reason(ENOENT));
    ignoreFileSizeSignal();

    // What is at the path, seen through any symbolic links.
    std::string target = path;
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (!exists) {
        // A dangling link gets its target created, as opening the path for writing would do;
        // a loop of links, or a path the system cannot look at, is refused with its reason.
        if (errno != ENOENT) return saveRefusal(reason(errno));
        if (const int err = followLinks(target)) return saveRefusal(reason(err));
    } else if (S_ISDIR(old.st_mode)) {
        return notAFile(old.st_mode);
    } else if (!S_ISREG(old.st_mode)) {
        if (special == SpecialTargets::Refuse) return notAFile(old.st_mode);
        return writeInPlace(path, nextPiece);
    } else {
        // The user must be allowed to write the file itself, not only its folder: a read-only
        // map stays as it is, for the same reason a plain write would give. Opening without
        // O_TRUNC changes nothing.
        Descriptor probe{openRetrying(path.c_str(), O_WRONLY | O_NOCTTY)};
        if (probe.get() < 0) return saveRefusal(reason(errno));
        // Renaming over one name of a file with several would part it from the others, which
        // would keep the old map: all of them get the new bytes, written in place.
        if (old.st_nlink > 1) return saveInPlace(path, nextPiece);
        // Save beside the file a symbolic link points to, so the link stays a link.
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    const std::string dir = directoryOf(target);
    const std::size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) return saveRefusal(reason(EISDIR));

    std::string tmpPath;
    const TemporaryFileNotice notice;
    Descriptor fd{createTemporary(dir, base, tmpPath, notice)};
    if (fd.get() < 0) {
        // A folder the user may not write, holding a file they may: written in place.
        if (exists && folderRefused(errno)) return saveInPlace(path, nextPiece);
        return saveRefusal(reason(errno));
    }

    const auto fail = [&](int err) {
        ::unlink(tmpPath.c_str());
        return saveRefusal(reason(err));
    };

    // An existing file keeps its owner and group where the system allows it (an ordinary user
    // may only pick among their own groups), then its permission bits, which a change of owner
    // would clear in part; a new file gets the usual 0666 & ~umask.
    if (exists) {
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0)
            (void)!::fchown(fd.get(), -1, old.st_gid);
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0) return fail(errno);
    }
    // A producer that throws (out of memory half-way through a render) must not leave the
    // temporary file behind; the exception goes on to the caller.
    try {
        for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece()) {
            if (const int err = writeAll(fd.get(), piece)) return fail(err);
        }
    } catch (...) {
        ::unlink(tmpPath.c_str());
        throw;
    }
    if (fsyncRetrying(fd.get()) != 0) return fail(errno);
    if (fd.closeChecked() != 0) return fail(errno);
    if (::rename(tmpPath.c_str(), target.c_str()) != 0) {
        const int err = errno;
        // A sticky folder keeps others' files from being renamed over, a mount point pins its
        // name: the temporary goes, and the file is written in place.
        // The pieces are spent; the temporary file holds them all and gives them again.
        if (exists && folderRefused(err)) {
            Descriptor written{openRetrying(tmpPath.c_str(), O_RDONLY)};
            ::unlink(tmpPath.c_str());
            if (written.get() < 0) return saveRefusal(reason(err));
            std::string chunk(std::size_t(1) << 16, '\0');
            return saveInPlace(path, [&]() -> std::string_view {
                ssize_t n;
                do
                    n = ::read(written.get(), chunk.data(), chunk.size());
                while (n < 0 && errno == EINTR);
                if (n < 0) throw std::system_error(errno, std::system_category());
                return {chunk.data(), std::size_t(n)};
            });
        }
        return fail(err);
    }

    // Make the rename itself durable. The new file is in place already, so a failure here is
    // not reported: there is nothing the user could do about it.
    const int dirFd = openRetrying(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        fsyncRetrying(dirFd);
        ::close(dirFd);
    }
    return Ok{};
}

void setTemporaryFileWatcher(TemporaryFileWatcher watcher) {
    temporaryFileWatcher.store(watcher);
}

} // namespace tilora
