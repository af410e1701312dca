#include "cli/CliSupport.h"

#include "core/FileIO.h"
#include "core/Geometry.h"
#include "platform/BmpLoader.h"
#include "platform/SheetSearch.h"

#include <QFile>
#include <QFileInfo>

namespace tilora::cli {

CliPath CliPath::fromArgument(const char* arg) {
    CliPath p;
    p.bytes = arg;
    p.text = QFile::decodeName(arg);
    return p;
}

Error fileError(const CliPath& path, const std::string& message) {
    return Error{path.bytes + ": " + message};
}

Result<MapContents> loadMapFile(const CliPath& path) {
    auto bytes = readWholeFile(path.bytes);
    if (!bytes) return fileError(path, bytes.error().message);
    auto map = parseMapFile(*bytes);
    if (!map) return fileError(path, map.error().message);
    return std::move(*map);
}

Result<LoadedSheet> loadMapSheet(const MapContents& map, const CliPath& mapPath) {
    const SheetSearchResult found = findSheet(map.sheetPath, mapPath.bytes);
    if (!found.found())
        return fileError(mapPath, "チップ画像が見つかりません：" + found.lookedFor.toStdString());
    LoadedSheet sheet;
    sheet.path = QFileInfo(found.path).absoluteFilePath();
    auto bitmap = loadBmp(found.path);
    if (!bitmap) return bitmap.error(); // the loader names the file
    sheet.bitmap = std::move(*bitmap);
    if (chipCount(sheet.bitmap.width(), sheet.bitmap.height()) == 0)
        return Error{QFile::encodeName(found.path).toStdString() +
                     ": チップ画像が小さすぎます（幅と高さが32ピクセル以上必要です）"};
    return sheet;
}

Status writeOutput(const CliPath& path, std::string_view bytes) {
    auto saved = saveFileAtomically(path.bytes, bytes);
    if (!saved) return fileError(path, saved.error().message);
    return Ok{};
}

Status writeOutput(const CliPath& path, const std::function<std::string_view()>& nextPiece) {
    auto saved = saveFileAtomically(path.bytes, nextPiece);
    if (!saved) return fileError(path, saved.error().message);
    return Ok{};
}

} // namespace tilora::cli
