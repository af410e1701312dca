#include "cli/Commands.h"

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
    // The sheet is only needed for its size, read from its header checked as render checks it,
    // so a sheet render refuses is reported with render's reason, not given a size. Without it
    // the rest is still worth printing.
    auto loaded = countCliMap(mapPath, fallbackSheet);
    if (!loaded) return loaded.error();
    const MapContents& map = loaded->contents;
    const CellCounts& counts = *loaded->counts;

    std::string foundText = loaded->sheetFoundAt.empty() ? "-" : loaded->sheetFoundAt;
    std::string sheetSize = "-";
    std::string offSheet = "-";
    if (loaded->sheetProblem) {
        note(err, loadError(mapPath, *loaded->sheetProblem).message);
    } else {
        const ImageSize& size = loaded->sheetSize;
        const int chips = chipCount(size.width, size.height);
        sheetSize = std::to_string(size.width) + "x" + std::to_string(size.height) + " (" +
                    std::to_string(chips) + " chips)";
        // Chip numbers in [0, chips) are exactly the chips whose square lies on the sheet; the
        // load counted those from chips on.
        offSheet = std::to_string(counts.belowZero + counts.fromBound);
    }
    out << "sheet: " << displayPathText(map.sheetPath) << '\n'
        << "sheet-found: " << foundText << '\n'
        << "sheet-size: " << sheetSize << '\n'
        << "width: " << map.width << '\n'
        << "height: " << map.height << '\n'
        << "lowest-chip: " << counts.lowest << '\n'
        << "highest-chip: " << counts.highest << '\n'
        << "cells-below-zero: " << counts.belowZero << '\n'
        << "cells-off-sheet: " << offSheet << '\n';
    // A full disk or a closed pipe shows only when the buffered text is written out.
    out.flush();
    if (!out) return Error{i18n("Cannot write to standard output")};
    return Ok{};
}

Status runRender(const CliPath& mapPath, const CliPath& imagePath, const RenderOptions& options,
                 std::ostream& out, const CliPath* fallbackSheet) {
    // The image's size is checked before the sheet is decoded.
    const auto sizeFits = [&](const MapContents& map) -> Status {
        if (auto size = checkImageSize(map, options.cellSize, options.format); !size)
            return fileError(imagePath, size.error().message);
        return Ok{};
    };
    auto loaded = loadCliMap(mapPath, SheetUse::Picture, fallbackSheet, sizeFits);
    if (!loaded) return loaded.error();
    if (auto refused = readFrom(mapPath, loaded->sheetFoundAt).checkOutput(imagePath); !refused)
        return refused;
    // Streamed piece by piece: a large map never exists in memory as a whole image.
    const auto encoder =
        makeMapImageEncoder(loaded->contents, *loaded->sheetPicture, options.cellSize,
                            options.filter, options.format, options.pngLevel);
    return writeOutput(
        imagePath, [&encoder] { return encoder->next(); }, out);
}

Status runExport(const CliPath& mapPath, const CliPath& tmxPath, TiledOutput format,
                 std::ostream& out, std::ostream& err, const CliPath* fallbackSheet) {
    auto loaded = loadCliMap(mapPath, SheetUse::Picture, fallbackSheet);
    if (!loaded) return loaded.error();
    const MapContents& map = loaded->contents;
    if (auto refused = readFrom(mapPath, loaded->sheetFoundAt).checkOutput(tmxPath); !refused)
        return refused;

    // The image is named relative to the TMX file's folder, so the two can move together. A TMX
    // sent to standard output, a pipe or a device has no folder of its own (it may end up
    // anywhere), so there the image gets its absolute path.
    const std::filesystem::path sheetPath = absoluteNormal(loaded->sheetFoundAt);
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
    tileset.imageWidth = loaded->sheetSize.width;
    tileset.imageHeight = loaded->sheetSize.height;
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
        format == TiledOutput::Tmj ? formatTmj(map, tileset) : formatTmx(map, tileset);
    if (auto saved = writeOutput(tmxPath, doc.xml(), out); !saved) return saved;
    if (doc.emptiedCells() > 0)
        note(err, i18n("%1: wrote %2 cells whose chip is not on the chip sheet (negative numbers "
                       "included) as empty tiles",
                       {pathForMessage(mapPath.bytes), doc.emptiedCells()}));
    return Ok{};
}

} // namespace tilora::cli
