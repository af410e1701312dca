#include "tiled/TiledFile.h"

#include "core/EditorState.h"
#include "core/FileIO.h"
#include "tiled/Gzip.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace tilora::tiled {

std::string refusalLead(TiledFormat format) {
    return format == TiledFormat::Tmx ? "TMX を読み込めません：" : "JSON を読み込めません：";
}

Result<TiledDocument> readTiledFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return Error{"ファイルを読み込めません：ファイルがありません"};
    Result<std::string> bytes = readWholeFile(path, MaxTiledFileBytes);
    if (!bytes) return bytes.error();
    TiledDocument doc;
    if (isGzip(*bytes)) {
        Result<std::string> unpacked = gunzip(*bytes, MaxTiledFileBytes);
        if (!unpacked) return unpacked.error();
        doc.bytes = std::move(*unpacked);
    } else {
        doc.bytes = std::move(*bytes);
    }
    // A byte order mark and blanks may stand before the first character.
    std::string_view text = doc.bytes;
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
        return Error{refusalLead(format) + what + "には対応していません"};
    };
    if (orientation != "orthogonal")
        return unsupported("向き（orientation）が " + std::string(orientation) +
                           " のマップ（orthogonal のみ）");
    if (infinite) return unsupported("無限マップ");
    if (width < 1 || width > MaxMapSide || height < 1 || height > MaxMapSide)
        return unsupported("大きさ " + std::to_string(width) + " x " + std::to_string(height) +
                           " のマップ（幅と高さは 1～1000）");
    return Ok{};
}

} // namespace tilora::tiled
