#include "FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <system_error>

namespace tilora {

namespace {

constexpr std::string_view SaveRefused = "保存できません：";

std::string reason(int err) {
    return std::system_category().message(err);
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
int createTemporary(const std::string& dir, const std::string& base, std::string& tmpPath) {
    static std::mt19937_64 random{std::random_device{}() ^ std::uint64_t(::getpid())};
    // Leave room in the name for the suffix; NAME_MAX is 255 on the usual file systems.
    const std::string stem = base.substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                      static_cast<unsigned long long>(random() & 0xffffffffffffULL));
        tmpPath = dir + "/" + stem + suffix;
        const int fd = openRetrying(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
    const std::string refused = "ファイルを読み込めません：";
    Descriptor fd{openRetrying(path.c_str(), O_RDONLY)};
    if (fd.get() < 0) return Error{refused + reason(errno)};
    const auto tooLarge = [&] {
        return Error{refused + "ファイルが大きすぎます（上限は" + std::to_string(maxBytes) +
                     "バイトです）"};
    };
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return Error{refused + reason(errno)};
    if (S_ISREG(st.st_mode) && std::uintmax_t(st.st_size) > maxBytes) return tooLarge();

    std::string data;
    if (S_ISREG(st.st_mode)) data.reserve(std::size_t(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Error{refused + reason(errno)};
        }
        if (n == 0) break;
        // The size seen before reading is only a hint: the file may grow, or report none.
        if (std::size_t(n) > maxBytes - data.size()) return tooLarge();
        data.append(chunk, std::size_t(n));
    }
    return data;
}

Status saveFileAtomically(const std::string& path, std::string_view bytes) {
    bool given = false;
    return saveFileAtomically(path, [&]() -> std::string_view {
        if (given) return {};
        given = true;
        return bytes.empty() ? std::string_view() : bytes;
    });
}

Status saveFileAtomically(const std::string& path,
                          const std::function<std::string_view()>& nextPiece) {
    const std::string refused(SaveRefused);
    if (path.empty()) return Error{refused + reason(ENOENT)};

    // Save beside the file a symbolic link points to, so the link stays a link.
    std::string target = path;
    struct stat linkSt {};
    if (::lstat(path.c_str(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) return Error{refused + reason(EISDIR)};

    std::string tmpPath;
    Descriptor fd{createTemporary(dir, base, tmpPath)};
    if (fd.get() < 0) return Error{refused + reason(errno)};

    const auto fail = [&](int err) {
        ::unlink(tmpPath.c_str());
        return Error{refused + reason(err)};
    };

    // An existing file keeps its permission bits; a new one gets the usual 0666 & ~umask.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0) return fail(errno);
    }
    for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece()) {
        if (const int err = writeAll(fd.get(), piece)) return fail(err);
    }
    if (fsyncRetrying(fd.get()) != 0) return fail(errno);
    if (fd.closeChecked() != 0) return fail(errno);
    if (::rename(tmpPath.c_str(), target.c_str()) != 0) return fail(errno);

    // Make the rename itself durable. The new file is in place already, so a failure here is
    // not reported: there is nothing the user could do about it.
    const int dirFd = openRetrying(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        fsyncRetrying(dirFd);
        ::close(dirFd);
    }
    return Ok{};
}

} // namespace tilora
