#include "core/SheetPathRebase.h"

#include "core/MapFile.h"
#include "core/SheetLocator.h"

#include <sys/stat.h>

#include <filesystem>

namespace tilora {

namespace {

// Whether two paths name one file: the same device and inode (links and ".." do not matter).
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool storable(std::string_view path) {
    return !path.empty() && sheetPathFault(path) == SheetPathFault::None;
}

} // namespace

std::string sheetPathForMap(std::string_view written, std::string_view sheetFile,
                            std::string_view mapFile) {
    const std::string kept(written);
    const std::string sheet(sheetFile);
    const std::string map(mapFile);
    struct stat st {};
    if (sheet.empty() || ::stat(sheet.c_str(), &st) != 0) return kept;
    const auto leadsToSheet = [&](std::string_view line1) {
        const SheetLocation found = locateSheet(line1, map);
        return found.found() && sameFile(found.path, sheet);
    };
    if (!written.empty() && leadsToSheet(written)) return kept;

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path sheetPath = fs::absolute(sheet, ec).lexically_normal();
    const fs::path folder = fs::absolute(map, ec).lexically_normal().parent_path();
    if (ec) return kept;
    const std::string relative = sheetPath.lexically_relative(folder).string();
    if (storable(relative) && leadsToSheet(relative)) return relative;
    if (storable(sheetPath.string())) return sheetPath.string();
    return kept;
}

} // namespace tilora
