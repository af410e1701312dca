#include "MapOnDisk.h"

#include <sys/stat.h>

#include <algorithm>

namespace tilora {

FileStamp stampFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    const auto ns = [](const timespec& t) {
        return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    return {true,
            std::uint64_t(st.st_dev),
            std::uint64_t(st.st_ino),
            std::int64_t(st.st_size),
            ns(st.st_mtim),
            ns(st.st_ctim)};
}

bool mapMatchesState(const MapContents& map, const MapDocument& state) {
    if (map.width != state.MapWidth || map.height != state.MapHeight ||
        map.sheetPath != state.SheetFileName ||
        map.cells.size() != std::size_t(map.width) * map.height)
        return false;
    for (int row = 0; row < map.height; ++row) {
        const auto from = map.cells.begin() + std::ptrdiff_t(row) * map.width;
        if (!std::equal(from, from + map.width,
                        state.MapCells.begin() + std::ptrdiff_t(row) * GridSide))
            return false;
    }
    return true;
}

MapOnDisk judgeMapOnDisk(bool exists, const Result<MapContents>& read, const MapDocument& state) {
    if (!exists) return MapOnDisk::Gone;
    if (!read) return MapOnDisk::Unreadable;
    if (mapMatchesState(*read, state)) return MapOnDisk::Same;
    return state.MapModified == 1 ? MapOnDisk::Ask : MapOnDisk::Reload;
}

} // namespace tilora
