#include "core/SheetPathRebase.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tilora {

namespace {

using Components = std::vector<std::string_view>;

// The components of an absolute path with "." dropped and ".." applied ("/.." stays "/").
// Nothing for a relative path.
std::optional<Components> absoluteComponents(std::string_view path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    Components parts;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        const std::size_t end = std::min(path.find('/', begin), path.size());
        const std::string_view part = path.substr(begin, end - begin);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        begin = end + 1;
    }
    return parts;
}

bool storableInMapFile(std::string_view path) {
    return path.find_first_of(std::string_view(",\r\n\0", 4)) == std::string_view::npos;
}

} // namespace

bool isFolderIndependentPath(std::string_view path) {
    if (path.empty()) return false;
    if (path.front() == '/' || path.front() == '\\') return true;
    const char c = path.front();
    const bool driveLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return driveLetter && path.size() >= 2 && path[1] == ':';
}

std::string rebaseSheetPath(std::string_view written, std::string_view sheetFile,
                            std::string_view fromFolder, std::string_view toFolder) {
    const std::string kept(written);
    if (written.empty() || isFolderIndependentPath(written)) return kept;
    const auto from = absoluteComponents(fromFolder);
    const auto to = absoluteComponents(toFolder);
    const auto sheet = absoluteComponents(sheetFile);
    if (!from || !to || !sheet || sheet->empty() || *from == *to) return kept;

    // Up from toFolder to the deepest folder it shares with the sheet, then down to the sheet.
    const auto [toRest, sheetRest] =
        std::mismatch(to->begin(), to->end(), sheet->begin(), sheet->end() - 1);
    std::string rebased;
    for (auto it = toRest; it != to->end(); ++it)
        rebased += "../";
    for (auto it = sheetRest; it != sheet->end(); ++it) {
        rebased += *it;
        if (it + 1 != sheet->end()) rebased += '/';
    }
    return storableInMapFile(rebased) ? rebased : kept;
}

} // namespace tilora
