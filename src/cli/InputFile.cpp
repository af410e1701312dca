#include "cli/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace tilora::cli {

namespace {

constexpr const char* Refused = "ファイルを読み込めません：";

Error systemError(int err) {
    return Error{Refused + std::system_category().message(err)};
}

// Reads at most `limit` bytes; tooLarge says whether more than `limit` is an error.
Result<InputFile> readInput(const std::string& path, std::size_t limit, bool tooLarge) {
    InputFile file;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT) {
            file.missing = true;
            return file;
        }
        return systemError(errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return systemError(errno);
    if (!S_ISREG(st.st_mode))
        return Error{std::string(Refused) +
                     (S_ISDIR(st.st_mode) ? "フォルダーです" : "通常のファイルではありません")};
    const auto overLimit = [&] {
        return Error{std::string(Refused) + "ファイルが大きすぎます（上限は" +
                     std::to_string(limit) + "バイトです）"};
    };
    if (tooLarge && std::uintmax_t(st.st_size) > limit) return overLimit();
    file.bytes.resize(std::min<std::uintmax_t>(std::uintmax_t(st.st_size), limit));
    std::size_t have = 0;
    for (;;) {
        if (have == file.bytes.size()) {
            if (have == limit) {
                // The file grew past what its size said: one byte more decides.
                char probe;
                const ssize_t n = ::read(fd, &probe, 1);
                if (n > 0 && tooLarge) return overLimit();
                break;
            }
            file.bytes.resize(std::min(limit, have + 65536));
        }
        const ssize_t n = ::read(fd, file.bytes.data() + have, file.bytes.size() - have);
        if (n < 0) {
            if (errno == EINTR) continue;
            return systemError(errno);
        }
        if (n == 0) break;
        have += std::size_t(n);
    }
    file.bytes.resize(have);
    return file;
}

} // namespace

Result<InputFile> readInputFile(const std::string& path, std::size_t maxBytes) {
    return readInput(path, maxBytes, true);
}

Result<InputFile> readInputHead(const std::string& path, std::size_t count) {
    return readInput(path, count, false);
}

} // namespace tilora::cli
