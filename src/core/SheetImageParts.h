#pragma once
// Pieces the BMP and PNG halves of the sheet decoder share; not for use outside them.

#include "Bitmap.h"
#include "Result.h"
#include "SheetImage.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tilora::sheet_image {

inline constexpr std::string_view Truncated = "ファイルが途中で切れています";
inline constexpr std::string_view Unsupported = "対応していないBMP形式です";
inline constexpr std::string_view BadSize = "大きさが正しくありません";

// "ビットマップを読み込めません：" followed by the reason.
Error refusal(std::string_view reason);

// A refusal unless the size is positive and within the sheet limits.
Status checkSheetSize(std::int64_t width, std::int64_t height);

// A sheet of the given size (already checked) whose pixels the caller writes, every one: nothing
// is filled in first, so memory is only touched as the decoding reaches it. A refusal when
// memory runs out.
Result<Bitmap> allocateSheet(int width, int height);

// A BMP's or a PNG's header checked as checkSheetHeader says, without the sheet rule.
Result<ImageSize> bmpHeaderSize(std::string_view head);
Result<ImageSize> pngHeaderSize(std::string_view head);

bool isBmp(std::string_view bytes);
bool isPng(std::string_view bytes);
Result<Bitmap> decodeBmp(std::string_view bytes);
Result<Bitmap> decodePng(std::string_view bytes, Transparency transparency);
Result<ImageSize> bmpSize(std::string_view header);
Result<ImageSize> pngSize(std::string_view header);

} // namespace tilora::sheet_image
