#include "SheetImage.h"

#include "FileIO.h"
#include "SheetImageParts.h"

#include <new>

namespace tilora {

namespace sheet_image {

Error refusal(std::string_view reason) {
    return Error{"ビットマップを読み込めません：" + std::string(reason)};
}

Status checkSheetSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return refusal(BadSize);
    if (width > MaxSheetSide || height > MaxSheetSide || width * height > MaxSheetPixels) {
        return refusal("大きすぎます（" + std::to_string(width) + "×" + std::to_string(height) +
                       "ドット。使えるのは縦横" + std::to_string(MaxSheetSide) +
                       "ドット以内、合わせて" + std::to_string(MaxSheetPixels) +
                       "ドットまでです）");
    }
    return Ok{};
}

Result<Bitmap> allocateSheet(int width, int height) {
    try {
        return Bitmap(width, height);
    } catch (const std::bad_alloc&) {
        return refusal("メモリが足りません（" + std::to_string(width) + "×" +
                       std::to_string(height) + "ドット）");
    }
}

} // namespace sheet_image

using namespace sheet_image;

namespace {

constexpr std::string_view Unknown = "BMP形式でもPNG形式でもありません";

// The largest file a sheet within the limits can need: 4 bytes a pixel uncompressed, plus room
// for headers, a colour table or a PNG's other chunks.
constexpr std::size_t MaxSheetFileBytes = std::size_t(MaxSheetPixels) * 4 + (16u << 20);

} // namespace

Result<Bitmap> decodeSheetImage(std::string_view bytes, Transparency transparency) {
    if (bytes.empty()) return refusal("ファイルが空です");
    if (isPng(bytes)) return decodePng(bytes, transparency);
    if (isBmp(bytes)) return decodeBmp(bytes);
    return refusal(Unknown);
}

Result<ImageSize> readSheetImageSize(std::string_view header) {
    if (isPng(header)) return pngSize(header);
    if (isBmp(header)) return bmpSize(header);
    return refusal(Unknown);
}

Result<Bitmap> loadSheetImage(const std::string& path) {
    const auto named = [&path](const std::string& message) {
        return Error{message + "（" + path + "）"};
    };
    Result<std::string> bytes = readWholeFile(path, MaxSheetFileBytes);
    if (!bytes) {
        // The reader's message has a lead-in of its own; only the reason after it is kept.
        const std::string& message = bytes.error().message;
        const std::string colon = "：";
        const std::size_t at = message.find(colon);
        return named(
            refusal(at == std::string::npos ? message : message.substr(at + colon.size())).message);
    }
    Result<Bitmap> bitmap = decodeSheetImage(*bytes);
    if (!bitmap) return named(bitmap.error().message);
    return bitmap;
}

} // namespace tilora
