#pragma once
// Pieces the BMP and PNG halves of the sheet decoder share; not for use outside them.

#include "Bitmap.h"
#include "Result.h"
#include "SheetImage.h"
#include "Texts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tilora::sheet_image {

// Reasons of refusals, in English, marked for the catalogs.
inline constexpr const char* Truncated = I18N_NOOP("the file is cut short");
inline constexpr const char* Unsupported = I18N_NOOP("a kind of BMP that is not supported");
inline constexpr const char* BadSize = I18N_NOOP("the size is not valid");

// "Cannot read the bitmap: " followed by the reason, in the user's language; the second form
// translates the reason, an English text marked with I18N_NOOP.
Error refusal(std::string_view reason);
Error refusal(const char* reason);

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
