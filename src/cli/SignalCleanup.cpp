#include "cli/SignalCleanup.h"

#include "core/FileIO.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

// The temporary file of the save in progress. Written by the saving thread, read by the handler
// on whichever thread takes the signal (the PNG encoder's workers too): the flag is set only
// while the buffer holds a whole path, so the handler never reads one half-written. The buffer is
// allocated up front; the handler itself only calls unlink and raise.
char temporaryPath[PATH_MAX];
std::atomic<bool> temporaryPathSet{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void watchTemporaryFile(const char* path) {
    temporaryPathSet.store(false);
    if (path == nullptr) return;
    const std::size_t length = std::strlen(path);
    // Longer than the system takes in one path: it could not have been created.
    if (length >= sizeof temporaryPath) return;
    std::memcpy(temporaryPath, path, length + 1);
    temporaryPathSet.store(true);
}

constexpr int CleanedUpSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

extern "C" {
static void removeTemporaryFileAndEnd(int signal) {
    const int savedErrno = errno;
    if (temporaryPathSet.load()) ::unlink(temporaryPath);
    // The handler was installed with SA_RESETHAND, so the default action is back; the signal is
    // blocked while the handler runs, and ends the process as soon as it returns.
    ::raise(signal);
    errno = savedErrno;
}
}

namespace tilora::cli {

void removeTemporaryFilesOnSignals() {
    setTemporaryFileWatcher(&watchTemporaryFile);
    for (const int signal : CleanedUpSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = &removeTemporaryFileAndEnd;
        sigemptyset(&action.sa_mask);
        // Another of these signals arriving while the file is removed waits for the first.
        for (const int other : CleanedUpSignals)
            sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace tilora::cli
