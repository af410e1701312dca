#include "cli/Commands.h"

#include "cli/InputFile.h"
#include "cli/MapImage.h"
#include "cli/TmxWriter.h"
#include "core/Geometry.h"
#include "core/PathText.h"
#include "core/SheetImage.h"
#include "core/SheetLocator.h"
#include "core/Texts.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

namespace tilora::cli {

namespace {

void note(std::ostream& err, const std::string& line) {
    err << "tilora-cli: " << line << '\n';
}

// The command's input and the picture it takes its chips from.
InputFiles readFrom(const CliPath& input, const std::string& image) {
    InputFiles files;
    files.add(input.bytes);
    files.add(image);
    return files;
}

std::filesystem::path absoluteNormal(const std::string& path) {
    std::error_code ec;
    return std::filesystem::absolute(path, ec).lexically_normal();
}

} // namespace

Status runInfo(const CliPath& mapPath, std::ostream& out, std::ostream& err,
               const CliPath* fallbackSheet) {
    // The sheet is looked up as soon as the header names it, so that the cells can be counted
    // against it as they are read, without building the map; what it says about the sheet is
    // printed only once the whole map has read well.
    std::optional<Result<std::string>> found;
    std::optional<Result<ImageSize>> size;
    std::uint32_t chips = 0;
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
    std::int64_t belowZero = 0;
    std::int64_t offSheet = 0;
    const auto onHeader = [&](const MapFileHeader& header) {
        MapContents named;
        named.sheetPath = header.sheetPath;
        found = findMapSheet(named, mapPath, fallbackSheet);
        // Only the header is read: its size is all info needs. It is checked as render checks
        // it, so a sheet render refuses is reported with render's reason, not given a size.
        if (*found) size = inspectSheetImage(**found);
        if (size && *size) chips = std::uint32_t(chipCount((*size)->width, (*size)->height));
    };
    const auto onRow = [&](const std::int32_t* cells, int count) {
        std::int32_t low = lowest, high = highest;
        int below = 0, off = 0;
        for (int k = 0; k < count; ++k) {
            const std::int32_t c = cells[k];
            low = std::min(low, c);
            high = std::max(high, c);
            below += c < 0 ? 1 : 0;
            // Chip numbers in [0, chips) are exactly the chips whose square lies on the sheet;
            // a negative one wraps past them.
            off += std::uint32_t(c) >= chips ? 1 : 0;
        }
        lowest = low;
        highest = high;
        belowZero += below;
        offSheet += off;
    };
    auto map = scanMapFile(mapPath, onHeader, onRow);
    if (!map) return map.error();

    // The sheet is only needed for its size; without it the rest is still worth printing.
    std::string foundText = "-";
    std::string sheetSize = "-";
    std::string offSheetText = "-";
    if (!*found) {
        note(err, found->error().message);
    } else {
        foundText = **found;
        if (!*size) {
            note(err, size->error().message);
        } else {
            sheetSize = std::to_string((*size)->width) + "x" + std::to_string((*size)->height) +
                        " (" + std::to_string(chips) + " chips)";
            offSheetText = std::to_string(offSheet);
        }
    }
    out << "sheet: " << displayPathText(map->sheetPath) << '\n'
        << "sheet-found: " << foundText << '\n'
        << "sheet-size: " << sheetSize << '\n'
        << "width: " << map->width << '\n'
        << "height: " << map->height << '\n'
        << "lowest-chip: " << lowest << '\n'
        << "highest-chip: " << highest << '\n'
        << "cells-below-zero: " << belowZero << '\n'
        << "cells-off-sheet: " << offSheetText << '\n';
    // A full disk or a closed pipe shows only when the buffered text is written out.
    out.flush();
    if (!out) return Error{i18n("Cannot write to standard output")};
    return Ok{};
}

Status runRender(const CliPath& mapPath, const CliPath& imagePath, const RenderOptions& options,
                 std::ostream& out, const CliPath* fallbackSheet) {
    auto map = loadMapFile(mapPath);
    if (!map) return map.error();
    if (auto size = checkImageSize(*map, options.cellSize, options.format); !size)
        return fileError(imagePath, size.error().message);
    auto sheet = loadMapSheet(*map, mapPath, fallbackSheet);
    if (!sheet) return sheet.error();
    if (auto refused = readFrom(mapPath, sheet->path).checkOutput(imagePath); !refused)
        return refused;
    // Streamed piece by piece: a large map never exists in memory as a whole image.
    const auto encoder = makeMapImageEncoder(*map, *sheet->bitmap, options.cellSize, options.filter,
                                             options.format, options.pngLevel);
    return writeOutput(
        imagePath, [&encoder] { return encoder->next(); }, out);
}

Status runExport(const CliPath& mapPath, const CliPath& tmxPath, TiledOutput format,
                 std::ostream& out, std::ostream& err, const CliPath* fallbackSheet) {
    auto map = loadMapFile(mapPath);
    if (!map) return map.error();
    auto sheet = loadMapSheet(*map, mapPath, fallbackSheet);
    if (!sheet) return sheet.error();
    if (auto refused = readFrom(mapPath, sheet->path).checkOutput(tmxPath); !refused)
        return refused;

    // The image is named relative to the TMX file's folder, so the two can move together. A TMX
    // sent to standard output, a pipe or a device has no folder of its own (it may end up
    // anywhere), so there the image gets its absolute path.
    const std::filesystem::path sheetPath = absoluteNormal(sheet->path);
    std::error_code notThere;
    const bool hasFolder =
        !tmxPath.isStandardOutput() &&
        !std::filesystem::is_other(std::filesystem::status(tmxPath.bytes, notThere));
    TmxTileset tileset;
    tileset.name = sheetPath.stem().string();
    if (hasFolder)
        tileset.imageSource =
            sheetPath.lexically_relative(absoluteNormal(tmxPath.bytes).parent_path()).string();
    if (tileset.imageSource.empty()) tileset.imageSource = sheetPath.string();
    tileset.imageWidth = sheet->bitmap->width();
    tileset.imageHeight = sheet->bitmap->height();
    const std::string formatName = format == TiledOutput::Tmj ? "JSON" : "TMX";
    if (!isValidUtf8(tileset.imageSource) || !isValidUtf8(tileset.name))
        return fileError(mapPath, i18n("the chip sheet's path is not UTF-8, so %1 cannot hold "
                                       "it: %2",
                                       {formatName, displayPathText(tileset.imageSource)}));
    if (!isXmlAttributeText(tileset.imageSource) || !isXmlAttributeText(tileset.name))
        return fileError(mapPath, i18n("the chip sheet's path holds control characters, so %1 "
                                       "cannot hold it",
                                       {formatName}));

    const TmxDocument doc =
        format == TiledOutput::Tmj ? formatTmj(*map, tileset) : formatTmx(*map, tileset);
    if (auto saved = writeOutput(tmxPath, doc.xml(), out); !saved) return saved;
    if (doc.emptiedCells() > 0)
        note(err, i18n("%1: wrote %2 cells whose chip is not on the chip sheet (negative numbers "
                       "included) as empty tiles",
                       {pathForMessage(mapPath.bytes), doc.emptiedCells()}));
    return Ok{};
}

} // namespace tilora::cli
