#include "MapLoad.h"

#include "FileIO.h"
#include "Geometry.h"
#include "PathText.h"
#include "SheetLocator.h"
#include "SheetPathRebase.h"
#include "Texts.h"

#include <sys/stat.h>

#include <filesystem>

namespace tilora {

namespace {

Result<std::shared_ptr<const Bitmap>> decodeSheet(const std::string& file) {
    Result<Bitmap> decoded = loadSheetImage(file);
    if (!decoded) return decoded.error();
    return std::make_shared<const Bitmap>(std::move(*decoded));
}

} // namespace

bool SheetCache::Identity::operator==(const Identity& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
}

Result<std::shared_ptr<const Bitmap>> SheetCache::load(const std::string& path) {
    Identity identity;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) identity = {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    if (sheet_ && path_ == path && identity.size >= 0 && identity == identity_) return sheet_;

    // Let go of the previous sheet before decoding the next.
    sheet_.reset();
    Result<std::shared_ptr<const Bitmap>> decoded = decodeSheet(path);
    if (!decoded) return decoded.error();
    sheet_ = std::move(*decoded);
    path_ = path;
    identity_ = identity;
    return sheet_;
}

namespace {

LoadRefusal refusal(LoadStage stage, std::string message, std::string sheetPath = {}) {
    return LoadRefusal{stage, std::move(message), std::move(sheetPath)};
}

std::string absoluteNormal(const std::string& path) {
    std::error_code ec;
    return std::filesystem::absolute(path, ec).lexically_normal().string();
}

// Reads the sheet file found: its picture, or only its size.
std::optional<LoadRefusal> readSheet(LoadedMap& map, const MapLoadOptions& options) {
    const std::string& file = map.sheetFoundAt;
    if (options.sheet == SheetUse::Header) {
        Result<ImageSize> size = inspectSheetImage(file);
        if (!size) return refusal(LoadStage::LoadSheet, size.error().message);
        map.sheetSize = *size;
        return std::nullopt;
    }
    Result<std::shared_ptr<const Bitmap>> picture =
        options.cache ? options.cache->load(file) : decodeSheet(file);
    if (!picture) return refusal(LoadStage::LoadSheet, picture.error().message);
    map.sheetPicture = std::move(*picture);
    map.sheetSize = {map.sheetPicture->width(), map.sheetPicture->height()};
    return std::nullopt;
}

// Finds the sheet of map.contents and reads it as the options ask. A refusal of the load is
// returned; a sheet problem that does not refuse it is kept in map.sheetProblem.
std::optional<LoadRefusal> attachSheet(LoadedMap& map, const MapLoadOptions& options) {
    map.sheetName = map.contents.sheetPath;
    const std::string& written = map.contents.sheetPath;
    const SheetLocation found = locateSheet(written, map.file);
    if (found.found()) {
        map.sheetFoundAt = found.path;
    } else if (!options.sheetInstead.empty()) {
        // Another sheet stands in: the map names it from now on, in a way that finds it again
        // from the map's folder, and so differs from its file.
        map.sheetFoundAt = absoluteNormal(options.sheetInstead);
        map.sheetName = sheetPathForMap(written, map.sheetFoundAt, map.file);
        map.modified = true;
    } else {
        LoadRefusal missing =
            refusal(LoadStage::FindSheet,
                    i18n("The chip sheet is not found: %1", {pathForMessage(written)}), written);
        if (options.sheet == SheetUse::Picture) return missing;
        map.sheetProblem = std::move(missing);
        return std::nullopt;
    }
    if (std::optional<LoadRefusal> refused = readSheet(map, options)) {
        if (options.sheet == SheetUse::Picture) return refused;
        map.sheetProblem = std::move(refused);
    }
    return std::nullopt;
}

Result<LoadedMap, LoadRefusal> countMap(const std::string& path, const FileBytes& bytes,
                                        const MapLoadOptions& options) {
    LoadedMap map;
    map.file = path;
    // A refusal of the check or of the sheet, held until the rows are read: a refusal of theirs
    // comes first, as in a full load.
    std::optional<LoadRefusal> held;
    const auto bound = [&](const MapContents& header) -> std::int64_t {
        constexpr std::int64_t None = std::int64_t(1) << 32; // past every cell
        if (options.check) {
            if (Status checked = options.check(header); !checked) {
                held = refusal(LoadStage::Check, checked.error().message);
                return None;
            }
        }
        map.contents = header;
        held = attachSheet(map, options);
        if (held || map.sheetProblem) return None;
        return chipCount(map.sheetSize.width, map.sheetSize.height);
    };
    Result<CountedMap> counted = countMapFile(bytes, bound);
    if (!counted) return refusal(LoadStage::Parse, counted.error().message);
    if (held) return std::move(*held);
    map.contents = std::move(counted->contents);
    map.counts = counted->counts;
    return map;
}

} // namespace

Result<LoadedMap, LoadRefusal> loadMap(const std::string& path, const MapLoadOptions& options) {
    Result<FileBytes> bytes = readWholeFile(path);
    if (!bytes) return refusal(LoadStage::Read, bytes.error().message);
    if (options.countOnly) return countMap(path, *bytes, options);
    Result<MapContents> contents = parseMapFile(*bytes);
    if (!contents) return refusal(LoadStage::Parse, contents.error().message);
    if (options.check) {
        if (Status checked = options.check(*contents); !checked)
            return refusal(LoadStage::Check, checked.error().message);
    }

    LoadedMap map;
    map.file = path;
    map.contents = std::move(*contents);
    if (std::optional<LoadRefusal> refused = attachSheet(map, options)) return std::move(*refused);
    return map;
}

} // namespace tilora
