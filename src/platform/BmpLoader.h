#pragma once
// Loading a chip sheet for the editor: a BMP or PNG file decoded by the core's sheet decoder, so
// the editor and tilora-cli read a sheet to the same pixels.

#include "core/Bitmap.h"
#include "core/Result.h"

#include <QImage>
#include <QString>

namespace tilora {

// Reads a BMP or PNG chip sheet. Refusals (not a picture, cut short, too large, out of memory)
// carry a message for the user that names the file.
Result<Bitmap> loadBmp(const QString& path);

// Conversions between core bitmaps and Qt images (copies).
Bitmap bitmapFromImage(const QImage& image);
QImage imageFromBitmap(const Bitmap& bitmap);

} // namespace tilora
