// tilora-cli import: a Tiled map read through the Tiled importer, written as a map file, with
// the chip sheet the import generated (if any) saved as a PNG first, so a map is never written
// naming a sheet that is not there.

#include "cli/Commands.h"
#include "cli/PngEncoder.h"
#include "core/Texts.h"

#include <filesystem>
#include <ostream>

namespace tilora::cli {

namespace {

namespace fs = std::filesystem;

void note(std::ostream& err, const std::string& line) {
    err << "tilora-cli: " << line << '\n';
}

fs::path absoluteNormal(const std::string& path) {
    std::error_code ec;
    return fs::absolute(path, ec).lexically_normal();
}

// A name as part of the sheet's file name: separators, control characters and the map format's
// field separator become '_'.
std::string fileNamePart(const std::string& name) {
    std::string out = name;
    for (char& ch : out) {
        const auto u = static_cast<unsigned char>(ch);
        if (u < 0x20 || u == 0x7F || ch == '/' || ch == '\\' || ch == ',' || ch == ':') ch = '_';
    }
    return out;
}

// Whether two paths are one file: the same path, or (both existing) the same inode.
bool sameFile(const fs::path& a, const fs::path& b) {
    if (a == b) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

struct SheetPlace {
    std::string file;     // where the PNG is written
    std::string mapField; // how the map names it
};

// Beside the map, named after it and the tileset ("island-beach_tileset.png"; "-chips" for a
// sheet of several tilesets or layers), unless --sheet names the place. Never one of the files
// the import read, nor the map being written.
Result<SheetPlace> placeSheet(const CliPath& tiledPath, const CliPath& mapPath,
                              const ImportOptions& options, const tiled::TiledImport& imported) {
    SheetPlace place;
    if (!options.sheet.empty()) {
        place.file = options.sheet;
        if (imageFormatFor(place.file) != ImageFormat::Png)
            return fileError(tiledPath, i18n("the chip sheet of --sheet must have a name ending "
                                             "in .png: %1",
                                             {place.file}));
    } else if (mapPath.isStandardOutput()) {
        return fileError(tiledPath, i18n("a map whose chip sheet is generated goes to standard "
                                         "output only with --sheet saying where the sheet goes"));
    } else {
        const fs::path map(mapPath.bytes);
        const std::string part =
            imported.sheetName.empty() ? "chips" : fileNamePart(imported.sheetName);
        place.file = (map.parent_path() / (fileNamePart(map.stem().string()) + "-" + part + ".png"))
                         .string();
    }
    const fs::path sheet = absoluteNormal(place.file);
    for (const std::string& input : imported.inputs)
        if (sameFile(sheet, input))
            return fileError(tiledPath, i18n("the generated chip sheet %1 is a file that was read "
                                             "(give another place with --sheet)",
                                             {place.file}));
    if (!mapPath.isStandardOutput() && sameFile(sheet, absoluteNormal(mapPath.bytes)))
        return fileError(tiledPath,
                         i18n("the generated chip sheet is the map's file: %1", {place.file}));
    // A sheet beside the map is named by its file name alone, so the two can move together.
    place.mapField = !mapPath.isStandardOutput() &&
                             sheet.parent_path() == absoluteNormal(mapPath.bytes).parent_path()
                         ? sheet.filename().string()
                         : sheet.string();
    return place;
}

Status writeSheetPng(const CliPath& path, const Bitmap& sheet, std::ostream& out) {
    constexpr int BandRows = 64;
    constexpr int Level = 6;
    PngEncoder encoder(sheet.width(), sheet.height(), BandRows, Level,
                       [&sheet](int firstRow, int rows, unsigned char* rgb) {
                           for (int y = firstRow; y < firstRow + rows; ++y) {
                               const Pixel* p = sheet.row(y);
                               for (int x = 0; x < sheet.width(); ++x, rgb += 3) {
                                   rgb[0] = static_cast<unsigned char>(p[x] >> 16);
                                   rgb[1] = static_cast<unsigned char>(p[x] >> 8);
                                   rgb[2] = static_cast<unsigned char>(p[x]);
                               }
                           }
                       });
    return writeOutput(
        path, [&encoder] { return encoder.next(); }, out);
}

} // namespace

Status runImport(const CliPath& tiledPath, const CliPath& mapPath, const ImportOptions& options,
                 std::ostream& out, std::ostream& err) {
    tiled::TiledImportOptions importOptions = options.tiled;
    importOptions.decodeSheet = false; // a sheet used as it is is only named
    auto imported = tiled::importTiledMap(tiledPath.bytes, importOptions);
    if (!imported) return fileError(tiledPath, imported.error().message);
    MapContents& map = imported->map;

    std::optional<SheetPlace> place;
    if (imported->sheetGenerated) {
        auto placed = placeSheet(tiledPath, mapPath, options, *imported);
        if (!placed) return placed.error();
        place = std::move(*placed);
        map.sheetPath = place->mapField;
    }
    if (auto valid = checkMapContents(map); !valid)
        return fileError(tiledPath, valid.error().message);
    // The map written must not replace the Tiled map, a tileset or a picture the import read.
    InputFiles read;
    for (const std::string& input : imported->inputs)
        read.add(input);
    if (auto refused = read.checkOutput(mapPath); !refused) return refused;
    if (place) {
        if (auto saved = writeSheetPng(CliPath{place->file}, *imported->sheet, out); !saved)
            return saved;
    }
    if (auto saved = writeOutput(mapPath, formatMapFile(map), out); !saved) return saved;

    if (imported->emptyCells > 0)
        note(err, i18n("%1: read %2 empty cells as chip -1 (no chip)",
                       {tiledPath.bytes, imported->emptyCells}));
    for (const std::string& notice : imported->notices)
        note(err, i18n("%1: note: %2", {tiledPath.bytes, notice}));
    if (place) {
        const int chips = (imported->sheet->width() / 32) * (imported->sheet->height() / 32);
        note(err, i18n("%1: wrote the chip sheet: %2 (%3 chips)",
                       {tiledPath.bytes, place->file, chips}));
    } else if (!imageFormatFor(map.sheetPath)) {
        // The editor reads BMP and PNG sheets, told apart by the suffix as rendered images are.
        note(err, i18n("%1: note: the tileset's image is neither BMP nor PNG, so the editor "
                       "cannot read it",
                       {tiledPath.bytes}));
    }
    return Ok{};
}

} // namespace tilora::cli
