#include "RecoveryStore.h"

#include "FileIO.h"
#include "Texts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <system_error>
#include <utility>

namespace tilora {

namespace {

constexpr std::string_view InfoHeader = "tilora recovery 1\n";

std::string reason(int err) {
    return std::system_category().message(err);
}

Error notSaved(const std::string& folder, int err) {
    return Error{i18n("Cannot save the recovery data: %1: %2", {folder, reason(err)})};
}

std::string fileOf(const std::string& folder, const std::string& id, const char* ext) {
    return folder + "/" + id + ext;
}

// The id a folder entry belongs to: its name up to the first dot ("123-ab.map.0f3a.tmp" belongs
// to "123-ab"). Names that no editor writes give an empty id and are left alone.
std::string idOf(const std::string& name) {
    const std::size_t dot = name.find('.');
    if (dot == 0 || dot == std::string::npos) return {};
    const std::string id = name.substr(0, dot);
    const std::size_t dash = id.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == id.size()) return {};
    return id;
}

// Takes the lock of `lockPath` without waiting; -1 when another editor holds it, or when the file
// at the path is no longer the one locked (an editor that has just finished with the copy
// removed it).
int tryLock(const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0 || ::stat(lockPath.c_str(), &named) != 0 ||
        held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// mkdir -p, the folders made here private to the user.
int makeFolders(const std::string& path) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/') continue;
        const std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

void appendField(std::string& out, std::string_view name, std::string_view value) {
    out += name;
    out += ' ';
    out += std::to_string(value.size());
    out += ' ';
    out += value;
    out += '\n';
}

// Reads "<name> <count> <bytes>\n" from the front of `rest`.
bool takeField(std::string_view& rest, std::string_view name, std::string& value) {
    if (rest.substr(0, name.size()) != name || rest.size() <= name.size() ||
        rest[name.size()] != ' ')
        return false;
    rest.remove_prefix(name.size() + 1);
    std::size_t count = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), count);
    if (ec != std::errc() || end == rest.data()) return false;
    rest.remove_prefix(std::size_t(end - rest.data()));
    // " <bytes>\n": the count is checked against what is left before it is added to anything.
    if (rest.size() < 2 || rest.front() != ' ' || count > rest.size() - 2 ||
        rest[count + 1] != '\n')
        return false;
    value.assign(rest.substr(1, count));
    rest.remove_prefix(count + 2);
    return true;
}

} // namespace

std::string recoveryFolder(const char* xdgStateHome, const char* home) {
    if (xdgStateHome && xdgStateHome[0] == '/')
        return std::string(xdgStateHome) + "/tilora/recovery";
    if (home && home[0] == '/') return std::string(home) + "/.local/state/tilora/recovery";
    return {};
}

std::string recoveryFolderFromEnvironment() {
    return recoveryFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

std::string formatRecoveryInfo(const RecoveryInfo& info) {
    std::string out(InfoHeader);
    appendField(out, "map", info.mapFile);
    appendField(out, "sheet", info.sheetFile);
    if (!info.generatedSheet.empty()) appendField(out, "generated", info.generatedSheet);
    return out;
}

Result<RecoveryInfo> parseRecoveryInfo(std::string_view bytes) {
    const Error damaged{i18n("The recovery information file is damaged")};
    if (bytes.substr(0, InfoHeader.size()) != InfoHeader) return damaged;
    std::string_view rest = bytes.substr(InfoHeader.size());
    RecoveryInfo info;
    if (!takeField(rest, "map", info.mapFile) || !takeField(rest, "sheet", info.sheetFile))
        return damaged;
    if (!rest.empty() && (!takeField(rest, "generated", info.generatedSheet) ||
                          info.generatedSheet.empty() || !rest.empty()))
        return damaged;
    return info;
}

OrphanCopy::OrphanCopy(std::string folder, std::string id, int lockFd)
    : folder_(std::move(folder)), id_(std::move(id)), lockFd_(lockFd) {}

OrphanCopy::OrphanCopy(OrphanCopy&& other) noexcept
    : folder_(std::move(other.folder_)), id_(std::move(other.id_)),
      lockFd_(std::exchange(other.lockFd_, -1)) {}

OrphanCopy& OrphanCopy::operator=(OrphanCopy&& other) noexcept {
    if (this != &other) {
        release();
        folder_ = std::move(other.folder_);
        id_ = std::move(other.id_);
        lockFd_ = std::exchange(other.lockFd_, -1);
    }
    return *this;
}

OrphanCopy::~OrphanCopy() {
    release();
}

void OrphanCopy::release() {
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
}

std::string OrphanCopy::mapPath() const {
    return fileOf(folder_, id_, ".map");
}

std::string OrphanCopy::infoPath() const {
    return fileOf(folder_, id_, ".info");
}

std::string OrphanCopy::sheetPath() const {
    return fileOf(folder_, id_, ".sheet.png");
}

Result<RecoveredMap> OrphanCopy::read() const {
    Result<FileBytes> bytes = readWholeFile(mapPath());
    if (!bytes) return bytes.error();
    Result<MapContents> map = parseMapFile(*bytes);
    if (!map) return map.error();
    RecoveredMap copy{std::move(*map), {}};
    if (Result<FileBytes> info = readWholeFile(infoPath())) {
        if (Result<RecoveryInfo> parsed = parseRecoveryInfo(*info)) copy.info = std::move(*parsed);
    }
    if (!copy.info.generatedSheet.empty()) copy.info.sheetFile = sheetPath();
    return copy;
}

void OrphanCopy::discard() {
    if (lockFd_ < 0) return;
    for (const std::string& name : folderEntries(folder_)) {
        if (idOf(name) == id_ && name != id_ + ".lock") ::unlink((folder_ + "/" + name).c_str());
    }
    ::unlink(fileOf(folder_, id_, ".lock").c_str());
    release();
}

RecoveryStore::RecoveryStore(std::string folder) : folder_(std::move(folder)) {}

RecoveryStore::~RecoveryStore() {
    if (lockFd_ < 0) return;
    if (!hasCopy_) ::unlink(fileOf(folder_, id_, ".lock").c_str());
    ::close(lockFd_);
}

std::string RecoveryStore::copyPath() const {
    return id_.empty() ? std::string() : fileOf(folder_, id_, ".map");
}

Status RecoveryStore::lockOwn() {
    if (lockFd_ >= 0) return Ok{};
    if (folder_.empty())
        return Error{i18n("Cannot save the recovery data: %1",
                          {i18n("there is no folder to save it in (HOME is not set)")})};
    if (const int err = makeFolders(folder_)) return notSaved(folder_, err);
    static thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char id[32];
        std::snprintf(id, sizeof id, "%ld-%08x", long(::getpid()), unsigned(random()));
        const std::string lockPath = fileOf(folder_, id, ".lock");
        const int fd =
            ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return notSaved(folder_, errno);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(lockPath.c_str());
            return notSaved(folder_, err);
        }
        lockFd_ = fd;
        id_ = id;
        return Ok{};
    }
    return notSaved(folder_, EEXIST);
}

Status RecoveryStore::save(const char* ext, std::string_view bytes) {
    if (Status locked = lockOwn(); !locked) return locked;
    hasCopy_ = true;
    if (Status saved = saveFileAtomically(fileOf(folder_, id_, ext), bytes); !saved)
        return Error{
            i18n("Cannot save the recovery data: %1\n%2", {folder_, saved.error().message})};
    return Ok{};
}

Status RecoveryStore::write(const MapContents& map, const RecoveryInfo& info) {
    // The info first: a copy is found by its map file, which then always has its info beside it.
    if (Status saved = save(".info", formatRecoveryInfo(info)); !saved) return saved;
    return save(".map", formatMapFile(map));
}

Status RecoveryStore::writeSheet(std::string_view png) {
    return save(".sheet.png", png);
}

void RecoveryStore::remove() {
    if (id_.empty()) return;
    ::unlink(fileOf(folder_, id_, ".map").c_str());
    ::unlink(fileOf(folder_, id_, ".info").c_str());
    ::unlink(fileOf(folder_, id_, ".sheet.png").c_str());
    hasCopy_ = false;
}

std::vector<OrphanCopy> RecoveryStore::orphans() {
    std::map<std::string, bool> ids; // id -> has a copy
    for (const std::string& name : folderEntries(folder_)) {
        const std::string id = idOf(name);
        if (id.empty() || id == id_) continue;
        ids[id] = ids[id] || name == id + ".map";
    }
    std::vector<std::pair<std::pair<long long, long>, OrphanCopy>> found; // by modification time
    for (const auto& [id, hasMap] : ids) {
        const int fd = tryLock(fileOf(folder_, id, ".lock"));
        if (fd < 0) continue; // its editor is running, or another one has just taken it
        OrphanCopy orphan(folder_, id, fd);
        struct stat st {};
        if (!hasMap || ::stat(orphan.mapPath().c_str(), &st) != 0) {
            orphan.discard();
            continue;
        }
        found.emplace_back(std::pair<long long, long>(st.st_mtim.tv_sec, st.st_mtim.tv_nsec),
                           std::move(orphan));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<OrphanCopy> out;
    for (auto& entry : found)
        out.push_back(std::move(entry.second));
    return out;
}

Status RecoveryStore::adopt(OrphanCopy& orphan) {
    if (Status locked = lockOwn(); !locked) return locked;
    const std::string info = fileOf(folder_, id_, ".info");
    if (::rename(orphan.infoPath().c_str(), info.c_str()) != 0) ::unlink(info.c_str());
    const std::string sheet = fileOf(folder_, id_, ".sheet.png");
    if (::rename(orphan.sheetPath().c_str(), sheet.c_str()) != 0) ::unlink(sheet.c_str());
    if (::rename(orphan.mapPath().c_str(), fileOf(folder_, id_, ".map").c_str()) != 0)
        return Error{i18n("Cannot move the recovery data: %1", {reason(errno)})};
    hasCopy_ = true;
    orphan.discard();
    return Ok{};
}

} // namespace tilora
