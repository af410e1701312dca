#include "cli/Commands.h"

#include "cli/InputFile.h"
#include "cli/MapImage.h"
#include "cli/TmxReader.h"
#include "cli/TmxWriter.h"
#include "core/FileIO.h"
#include "core/Geometry.h"
#include "platform/BmpLoader.h"
#include "platform/SheetSearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

namespace tilora::cli {

namespace {

std::string utf8(const QString& s) {
    return s.toStdString();
}

void note(std::ostream& err, const std::string& line) {
    err << "tilora-cli: " << line << '\n';
}

} // namespace

Status runInfo(const CliPath& mapPath, std::ostream& out, std::ostream& err) {
    auto loaded = loadMapFile(mapPath);
    if (!loaded) return loaded.error();
    const MapContents& map = *loaded;

    const auto [lowest, highest] = std::minmax_element(map.cells.begin(), map.cells.end());
    const auto belowZero =
        std::count_if(map.cells.begin(), map.cells.end(), [](std::int32_t c) { return c < 0; });

    // The sheet is only needed for its size; without it the rest is still worth printing.
    const SheetSearchResult found = findSheet(map.sheetPath, mapPath.bytes);
    std::string foundText = "-";
    std::string sheetSize = "-";
    std::string offSheet = "-";
    if (!found.found()) {
        note(err, mapPath.bytes + ": チップ画像が見つかりません：" + utf8(found.lookedFor));
    } else {
        foundText = utf8(QFileInfo(found.path).absoluteFilePath());
        auto sheet = loadBmp(found.path);
        if (!sheet) {
            note(err, sheet.error().message); // the loader names the file
        } else {
            const int chips = chipCount(sheet->width(), sheet->height());
            sheetSize = std::to_string(sheet->width()) + "x" + std::to_string(sheet->height()) +
                        " (" + std::to_string(chips) + " chips)";
            // Chip numbers in [0, chips) are exactly the chips whose square lies on the sheet.
            offSheet = std::to_string(
                std::count_if(map.cells.begin(), map.cells.end(),
                              [chips](std::int32_t c) { return c < 0 || c >= chips; }));
        }
    }
    out << "sheet: " << utf8(found.lookedFor) << '\n'
        << "sheet-found: " << foundText << '\n'
        << "sheet-size: " << sheetSize << '\n'
        << "width: " << map.width << '\n'
        << "height: " << map.height << '\n'
        << "lowest-chip: " << *lowest << '\n'
        << "highest-chip: " << *highest << '\n'
        << "cells-below-zero: " << belowZero << '\n'
        << "cells-off-sheet: " << offSheet << '\n';
    return Ok{};
}

Status runRender(const CliPath& mapPath, const CliPath& imagePath, ImageFormat format,
                 int cellSize) {
    auto map = loadMapFile(mapPath);
    if (!map) return map.error();
    if (auto size = checkImageSize(*map, cellSize); !size)
        return fileError(imagePath, size.error().message);
    auto sheet = loadMapSheet(*map, mapPath);
    if (!sheet) return sheet.error();
    if (format == ImageFormat::Bmp) {
        // Streamed strip by strip: a large map never exists in memory as a whole image.
        MapBmpEncoder encoder(*map, sheet->bitmap, cellSize);
        return writeOutput(imagePath, [&encoder] { return encoder.next(); });
    }
    auto image = renderMapImage(*map, sheet->bitmap, cellSize, format);
    if (!image) return fileError(imagePath, image.error().message);
    return writeOutput(imagePath, std::string_view(image->constData(), std::size_t(image->size())));
}

Status runExport(const CliPath& mapPath, const CliPath& tmxPath, std::ostream& err) {
    auto map = loadMapFile(mapPath);
    if (!map) return map.error();
    auto sheet = loadMapSheet(*map, mapPath);
    if (!sheet) return sheet.error();

    TmxTileset tileset;
    tileset.name = utf8(QFileInfo(sheet->path).completeBaseName());
    const QDir tmxDir = QFileInfo(tmxPath.text).absoluteDir();
    tileset.imageSource = utf8(QDir::fromNativeSeparators(tmxDir.relativeFilePath(sheet->path)));
    tileset.imageWidth = sheet->bitmap.width();
    tileset.imageHeight = sheet->bitmap.height();
    if (!isXmlAttributeText(tileset.imageSource))
        return fileError(mapPath, "チップ画像のパスに制御文字が含まれていて、TMX に書けません");

    const TmxDocument doc = formatTmx(*map, tileset);
    if (auto saved = writeOutput(tmxPath, doc.xml()); !saved) return saved;
    if (doc.emptiedCells() > 0)
        note(err, mapPath.bytes + ": チップ画像にないチップ番号（負の番号を含む）のセル " +
                      std::to_string(doc.emptiedCells()) + " 個を空のタイルとして書き出しました");
    return Ok{};
}

Status runImport(const CliPath& tmxPath, const CliPath& mapPath, std::ostream& err) {
    auto file = readInputFile(tmxPath.bytes);
    if (!file) return fileError(tmxPath, file.error().message);
    if (file->missing) return fileError(tmxPath, "ファイルを読み込めません：ファイルがありません");
    std::error_code ec;
    const std::string baseDir = std::filesystem::absolute(tmxPath.bytes, ec).parent_path().string();
    auto imported = parseTmx(file->bytes, baseDir);
    if (!imported) return fileError(tmxPath, imported.error().message);
    const MapContents& map = imported->map;
    if (auto valid = checkMapContents(map); !valid)
        return fileError(tmxPath, valid.error().message);
    if (auto saved = writeOutput(mapPath, formatMapFile(map)); !saved) return saved;

    if (imported->emptyCells > 0)
        note(err, tmxPath.bytes + ": 空のセル " + std::to_string(imported->emptyCells) +
                      " 個をチップ -1（チップなし）として読み込みました");
    for (const std::string& warning : imported->warnings)
        note(err, tmxPath.bytes + ": 注意：" + warning);
    const std::string& sheet = map.sheetPath;
    const bool bmp = sheet.size() >= 4 && (sheet.ends_with(".bmp") || sheet.ends_with(".BMP"));
    if (imported->warnings.empty() && !bmp)
        note(err,
             tmxPath.bytes +
                 ": 注意：タイルセットの画像が BMP ではないため、エディターでは読み込めません");
    return Ok{};
}

} // namespace tilora::cli
