#include "SheetImage.h"

#include "FileIO.h"
#include "PathText.h"
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
        return Bitmap::uninitialized(width, height);
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

Status checkChipSheetSize(std::int64_t width, std::int64_t height) {
    if (Status fits = checkSheetSize(width, height); !fits) return fits;
    if (width < ChipPixels || height < ChipPixels) {
        return refusal("小さすぎます（" + std::to_string(width) + "×" + std::to_string(height) +
                       "ドット。チップ1つ分の縦横" + std::to_string(ChipPixels) +
                       "ドット以上が必要です）");
    }
    return Ok{};
}

Result<ImageSize> checkSheetHeader(std::string_view head) {
    Result<ImageSize> size = isPng(head)   ? pngHeaderSize(head)
                             : isBmp(head) ? bmpHeaderSize(head)
                                           : Result<ImageSize>(refusal(Unknown));
    if (!size) return size;
    if (Status rule = checkChipSheetSize(size->width, size->height); !rule) return rule.error();
    return size;
}

Result<ImageSize> readSheetImageSize(std::string_view header) {
    if (isPng(header)) return pngSize(header);
    if (isBmp(header)) return bmpSize(header);
    return refusal(Unknown);
}

namespace {

Error naming(const std::string& path, const std::string& message) {
    return Error{message + "（" + pathForMessage(path) + "）"};
}

// A read failure as a refusal; the reader's message has a lead-in of its own, of which only the
// reason after it is kept.
Error readFailure(const std::string& path, const Error& error) {
    const std::string& message = error.message;
    const std::string colon = "：";
    const std::size_t at = message.find(colon);
    return naming(
        path,
        refusal(at == std::string::npos ? message : message.substr(at + colon.size())).message);
}

Error emptyFile(const std::string& path) {
    return naming(path, refusal("ファイルが空です").message);
}

} // namespace

Result<Bitmap> loadSheetImage(const std::string& path) {
    Result<std::string> bytes = readWholeFile(path, MaxSheetFileBytes);
    if (!bytes) return readFailure(path, bytes.error());
    if (bytes->empty()) return emptyFile(path);
    // The header and the sheet rule first: a sheet refused by them is never decoded.
    if (Result<ImageSize> head = checkSheetHeader(*bytes); !head)
        return naming(path, head.error().message);
    Result<Bitmap> bitmap = decodeSheetImage(*bytes);
    if (!bitmap) return naming(path, bitmap.error().message);
    return bitmap;
}

Result<ImageSize> inspectSheetImage(const std::string& path) {
    Result<std::string> head = readFileHead(path, SheetHeaderBytes);
    if (!head) return readFailure(path, head.error());
    if (head->empty()) return emptyFile(path);
    Result<ImageSize> size = checkSheetHeader(*head);
    if (!size) return naming(path, size.error().message);
    return size;
}

} // namespace tilora
