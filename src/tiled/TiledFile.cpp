#include "tiled/TiledFile.h"

#include "core/EditorState.h"
#include "core/FileIO.h"
#include "core/Texts.h"
#include "tiled/Gzip.h"

#include <filesystem>

namespace tilora::tiled {

Error tiledRefusal(TiledFormat format, const std::string& what) {
    return Error{format == TiledFormat::Tmx ? i18n("Cannot read the TMX file: %1", {what})
                                            : i18n("Cannot read the JSON file: %1", {what})};
}

Error tiledUnsupported(TiledFormat format, const std::string& what) {
    return tiledRefusal(format, i18n("%1 is not supported", {what}));
}

Result<TiledDocument> readTiledFile(const std::string& path) {
    Result<FileBytes> bytes = readWholeFile(path, MaxTiledFileBytes);
    if (!bytes) return bytes.error();
    TiledDocument doc;
    if (isGzip(*bytes)) {
        Result<std::string> unpacked = gunzip(*bytes, MaxTiledFileBytes);
        if (!unpacked) return unpacked.error();
        doc.bytes = FileBytes(std::move(*unpacked));
    } else {
        doc.bytes = std::move(*bytes);
    }
    // A byte order mark and blanks may stand before the first character.
    std::string_view text = doc.bytes.view();
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    doc.format = first != std::string_view::npos && text[first] == '{' ? TiledFormat::Json
                                                                       : TiledFormat::Tmx;
    return doc;
}

std::string folderOf(const std::string& path) {
    std::error_code ec;
    return std::filesystem::absolute(path, ec).lexically_normal().parent_path().string();
}

std::string joinPath(const std::string& folder, std::string_view path) {
    return (std::filesystem::path(folder) / std::filesystem::path(path))
        .lexically_normal()
        .string();
}

std::optional<Pixel> parseTiledColour(std::string_view text) {
    if (text.starts_with('#')) text.remove_prefix(1);
    if (text.size() == 8) text.remove_prefix(2);
    if (text.size() != 6) return std::nullopt;
    Pixel rgb = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return std::nullopt;
        rgb = rgb << 4 | Pixel(digit);
    }
    return 0xFF000000u | rgb;
}

Status checkMapHeader(TiledFormat format, std::string_view orientation, bool infinite,
                      std::int64_t width, std::int64_t height) {
    const auto unsupported = [format](const std::string& what) {
        return tiledUnsupported(format, what);
    };
    if (orientation != "orthogonal")
        return unsupported(
            i18n("a map whose orientation is %1 (only orthogonal)", {std::string(orientation)}));
    if (infinite) return unsupported(i18n("an infinite map"));
    if (width < 1 || width > MaxMapSide || height < 1 || height > MaxMapSide)
        return unsupported(i18n("a map of %1 x %2 (width and height 1 to 1000)", {width, height}));
    return Ok{};
}

} // namespace tilora::tiled
