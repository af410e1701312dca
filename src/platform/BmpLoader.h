#pragma once
// Loading a chip sheet: a .BMP file read through Qt's image reader into a core Bitmap.

#include "core/Bitmap.h"
#include "core/Result.h"

#include <QImage>
#include <QString>

namespace tilora {

// Largest picture accepted, in pixels (width x height), so a hostile header cannot make the
// reader allocate without bound.
inline constexpr qint64 MaxBitmapPixels = 64LL * 1024 * 1024;

// Reads a BMP file. Refuses files that are not BMP, whose pixel data is shorter than the header
// announces, or that are larger than MaxBitmapPixels, with a message for the user.
Result<Bitmap> loadBmp(const QString& path);

// Conversions between core bitmaps and Qt images (copies).
Bitmap bitmapFromImage(const QImage& image);
QImage imageFromBitmap(const Bitmap& bitmap);

} // namespace tilora
