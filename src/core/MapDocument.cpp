#include "MapDocument.h"

#include "FileIO.h"
#include "MapFile.h"
#include "MapLoad.h"
#include "SheetLocator.h"
#include "SheetPathRebase.h"
#include "Texts.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace tilora {

namespace {

namespace fs = std::filesystem;

// The map's cells named by `sheetPath`, written through the safe save. Only a regular file or a
// new name is written: a pipe would hold the editor until a reader came, and bytes sent into a
// device are no saved map.
Status writeMapFile(const MapDocument& doc, const std::string& sheetPath, const std::string& path) {
    MapContents contents = mapContentsFromState(doc);
    contents.sheetPath = sheetPath;
    if (Status valid = checkMapContents(contents); !valid) return valid;
    return saveFileAtomically(path, formatMapFile(contents), SpecialTargets::Refuse);
}

// A name as part of a file name: separators, control characters and the map format's field
// separator become '_'.
std::string fileNamePart(std::string name) {
    for (char& ch : name) {
        const auto u = static_cast<unsigned char>(ch);
        if (u < 0x20 || u == 0x7F || ch == '/' || ch == '\\' || ch == ',' || ch == ':') ch = '_';
    }
    return name;
}

bool taken(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// "<folder>/<map name>-<sheet name>.png" beside the map, or with "-2", "-3", ... before ".png"
// where that is taken. Empty when none of the first thousand is free.
std::string freeSheetFile(const std::string& mapPath, const std::string& sheetName) {
    const fs::path map(mapPath);
    const std::string stem = fileNamePart(map.stem().string() + "-" + sheetName).substr(0, 200);
    for (int k = 1; k <= 1000; ++k) {
        const std::string name = stem + (k == 1 ? "" : "-" + std::to_string(k)) + ".png";
        const std::string file = (map.parent_path() / name).string();
        if (!taken(file)) return file;
    }
    return {};
}

} // namespace

const Bitmap& MapDocument::sheet() const {
    static const Bitmap none;
    return SheetPicture ? *SheetPicture : none;
}

void MapDocument::startNew(int width, int height, std::int32_t chip) {
    MapWidth = width;
    MapHeight = height;
    // Only the new map's rectangle is filled; the rest of the grid keeps what it held. The chip
    // is read once into a local: a store into the grid could otherwise be taken to change it, and
    // each cell would read it again.
    const std::int32_t value = chip;
    const int rows = std::clamp(height, 0, int(MapCells.size() / GridSide));
    const int columns = std::clamp(width, 0, GridSide);
    std::int32_t* const cells = MapCells.data();
    for (int r = 0; r < rows; ++r)
        std::fill_n(cells + std::size_t(r) * GridSide, columns, value);
    History.clear();
    CurrentFileName.clear();
    MapModified = 1;
}

void MapDocument::open(LoadedMap loaded) {
    loaded.contents.sheetPath = std::move(loaded.sheetName);
    applyMapContents(loaded.contents, *this);
    SheetFoundAt = std::move(loaded.sheetFoundAt);
    SheetPicture = std::move(loaded.sheetPicture);
    GeneratedSheetName = std::move(loaded.generatedSheetName);
    CurrentFileName = std::move(loaded.file);
    History.clear();
    if (!loaded.modified) History.markSaved();
    MapModified = loaded.modified ? 1 : 0;
}

std::string MapDocument::sheetInUse() const {
    const std::string& written = SheetFileName;
    if (written.empty() || (CurrentFileName.empty() && written.front() != '/')) return {};
    return locateSheet(written, CurrentFileName.empty() ? written : CurrentFileName).path;
}

Status MapDocument::saveAs(const std::string& path, const SheetFileWriter& writeSheet) {
    std::string inUse = sheetInUse();
    std::string sheetPath = sheetPathForMap(SheetFileName, inUse, path);
    std::string sheetWritten; // a sheet file this save made, removed again if the map fails
    if (sheetUnwritten()) {
        const auto refused = [](const std::string& why) {
            return Error{i18n("Cannot save: %1", {why})};
        };
        if (!writeSheet) return refused(i18n("the chip sheet has no file yet"));
        sheetWritten = freeSheetFile(path, GeneratedSheetName);
        if (sheetWritten.empty())
            return refused(i18n("no free name for the chip sheet's file beside the map"));
        if (Status written = writeSheet(sheetWritten, sheet()); !written) return written;
        // Beside the map, named by its file name alone, so the two can move together.
        sheetPath = fs::path(sheetWritten).filename().string();
        std::error_code ec;
        inUse = fs::absolute(sheetWritten, ec).lexically_normal().string();
    }
    if (Status written = writeMapFile(*this, sheetPath, path); !written) {
        if (!sheetWritten.empty()) ::unlink(sheetWritten.c_str());
        return written;
    }
    SheetFileName = std::move(sheetPath);
    if (!inUse.empty()) SheetFoundAt = std::move(inUse);
    GeneratedSheetName.clear();
    CurrentFileName = path;
    History.markSaved();
    MapModified = 0;
    return Ok{};
}

Status MapDocument::save(const SheetFileWriter& writeSheet) {
    if (CurrentFileName.empty())
        return Error{i18n("Cannot save: %1", {i18n("the map has no file name yet")})};
    if (sheetUnwritten()) return saveAs(CurrentFileName, writeSheet);
    if (Status written = writeMapFile(*this, SheetFileName, CurrentFileName); !written)
        return written;
    History.markSaved();
    MapModified = 0;
    return Ok{};
}

} // namespace tilora
