#include "cli/InputFile.h"

#include "core/PageMemory.h"
#include "core/Texts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace tilora::cli {

namespace {

Error refused(const std::string& why) {
    return Error{i18n("Cannot read the file: %1", {why})};
}

Error systemError(int err) {
    return refused(std::system_category().message(err));
}

// A buffer for the file's bytes. A large one is taken in large pages (core/PageMemory): faulting
// 4 KB pages in one by one as read() fills them costs more than reading the file.
std::shared_ptr<char> makeBuffer(std::size_t size) {
    auto pages = std::make_shared<PageBuffer>(std::max<std::size_t>(size, 1));
    char* const data = pages->data();
    return std::shared_ptr<char>(std::move(pages), data);
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
        return refused(S_ISDIR(st.st_mode) ? i18n("it is a folder") : i18n("not an ordinary file"));
    const auto overLimit = [&] {
        return refused(i18n("the file is too large (the limit is %1 bytes)", {limit}));
    };
    if (tooLarge && std::uintmax_t(st.st_size) > limit) return overLimit();
    // One byte more than the size seen: a file that grew shows, and is read to `limit`.
    const std::size_t capacity =
        std::size_t(std::min<std::uintmax_t>(std::uintmax_t(st.st_size) + 1, limit + 1));
    std::shared_ptr<char> buffer = makeBuffer(capacity);
    std::size_t have = 0;
    while (have < capacity) {
        const ssize_t n = ::read(fd, buffer.get() + have, capacity - have);
        if (n < 0) {
            if (errno == EINTR) continue;
            return systemError(errno);
        }
        if (n == 0) break;
        have += std::size_t(n);
    }
    if (have > limit) {
        if (tooLarge) return overLimit();
        have = limit;
    }
    file.bytes = std::string_view(buffer.get(), have);
    file.storage = std::move(buffer);
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
