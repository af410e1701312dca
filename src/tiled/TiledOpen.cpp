#include "tiled/TiledOpen.h"

#include "core/Texts.h"
#include "tiled/Gzip.h"
#include "tiled/TiledImport.h"

namespace tilora::tiled {

bool looksLikeTiledDocument(std::string_view head) {
    if (isGzip(head)) return true;
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    const std::size_t first = head.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && (head[first] == '<' || head[first] == '{');
}

Result<std::optional<TiledOpen>, LoadRefusal> openTiledMap(const std::string& path,
                                                           const LayerChooser& chooseLayer) {
    TiledImportOptions options;
    options.decodeSheet = true;
    options.optionHints = false;
    options.chooseLayer = chooseLayer;
    Result<TiledImport> imported = importTiledMap(path, options);
    if (!imported && imported.error().message.empty()) return std::optional<TiledOpen>{};
    if (!imported) return LoadRefusal{LoadStage::Parse, imported.error().message, {}};

    TiledOpen open;
    LoadedMap& map = open.map;
    map.contents = std::move(imported->map);
    map.modified = true; // no file holds it yet
    const std::string image = map.contents.sheetPath;
    const auto sheetRefusal = [&image](const std::string& why) {
        return LoadRefusal{
            LoadStage::LoadSheet, image.empty() ? why : i18n("%1 (%2)", {why, image}), {}};
    };
    if (!imported->sheet)
        return sheetRefusal(i18n("the tileset's image cannot serve as a chip sheet: it is "
                                 "missing, or neither a BMP nor a PNG"));
    if (Status rule = checkChipSheetSize(imported->sheet->width(), imported->sheet->height());
        !rule)
        return sheetRefusal(rule.error().message);
    if (imported->sheetGenerated) {
        map.generatedSheetName = imported->sheetName.empty() ? "chips" : imported->sheetName;
    } else {
        if (sheetPathFault(image) != SheetPathFault::None)
            return sheetRefusal(i18n("the tileset's image cannot be named in a map file (its path "
                                     "holds \",\" or a line break, or is too long)"));
        map.sheetName = image;
        map.sheetFoundAt = image;
    }
    map.sheetSize = {imported->sheet->width(), imported->sheet->height()};
    map.sheetPicture = std::make_shared<const Bitmap>(std::move(*imported->sheet));

    if (imported->emptyCells > 0)
        open.notices.push_back(
            i18n("read %1 empty cells as chip -1 (no chip)", {imported->emptyCells}));
    for (std::string& notice : imported->notices)
        open.notices.push_back(std::move(notice));
    return std::optional<TiledOpen>{std::move(open)};
}

} // namespace tilora::tiled
