#include "SheetImage.h"

#include "FileIO.h"
#include "PathText.h"
#include "SheetImageParts.h"
#include "Texts.h"

#include <new>

namespace tilora {

namespace sheet_image {

Error refusal(std::string_view reason) {
    return Error{i18n("Cannot read the bitmap: %1", {reason})};
}

Error refusal(const char* reason) {
    return refusal(i18n(reason));
}

Status checkSheetSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return refusal(BadSize);
    if (width > MaxSheetSide || height > MaxSheetSide || width * height > MaxSheetPixels) {
        return refusal(i18n("too large (%1 × %2 pixels; a sheet may be at most %3 pixels "
                            "wide and high, %4 pixels in all)",
                            {width, height, MaxSheetSide, MaxSheetPixels}));
    }
    return Ok{};
}

Result<Bitmap> allocateSheet(int width, int height) {
    try {
        return Bitmap::uninitialized(width, height);
    } catch (const std::bad_alloc&) {
        return refusal(i18n("not enough memory (%1 × %2 pixels)", {width, height}));
    }
}

} // namespace sheet_image

using namespace sheet_image;

namespace {

constexpr const char* Unknown = I18N_NOOP("neither a BMP nor a PNG image");

// The largest file a sheet within the limits can need: 4 bytes a pixel uncompressed, plus room
// for headers, a colour table or a PNG's other chunks.
constexpr std::size_t MaxSheetFileBytes = std::size_t(MaxSheetPixels) * 4 + (16u << 20);

} // namespace

Result<Bitmap> decodeSheetImage(std::string_view bytes, Transparency transparency) {
    if (bytes.empty()) return refusal(I18N_NOOP("the file is empty"));
    if (isPng(bytes)) return decodePng(bytes, transparency);
    if (isBmp(bytes)) return decodeBmp(bytes);
    return refusal(Unknown);
}

Status checkChipSheetSize(std::int64_t width, std::int64_t height) {
    if (Status fits = checkSheetSize(width, height); !fits) return fits;
    if (width < ChipPixels || height < ChipPixels) {
        return refusal(i18n("too small (%1 × %2 pixels; one chip needs at least %3 pixels "
                            "each way)",
                            {width, height, ChipPixels}));
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
    return Error{i18n("%1 (%2)", {message, pathForMessage(path)})};
}

// A read failure as a refusal; the reader's message has a lead-in of its own, of which only the
// reason after it is kept.
Error readFailure(const std::string& path, const Error& error) {
    return naming(path, refusal(argumentOf(error.message, "Cannot read the file: %1")).message);
}

Error emptyFile(const std::string& path) {
    return naming(path, refusal(I18N_NOOP("the file is empty")).message);
}

} // namespace

Result<Bitmap> loadSheetImage(const std::string& path) {
    Result<FileBytes> bytes = readWholeFile(path, MaxSheetFileBytes);
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
    Result<FileBytes> head = readFileHead(path, SheetHeaderBytes);
    if (!head) return readFailure(path, head.error());
    if (head->empty()) return emptyFile(path);
    Result<ImageSize> size = checkSheetHeader(*head);
    if (!size) return naming(path, size.error().message);
    return size;
}

} // namespace tilora
