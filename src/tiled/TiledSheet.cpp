#include "tiled/TiledSheet.h"

#include "core/FileIO.h"
#include "core/SheetImage.h"
#include "core/Texts.h"
#include "tiled/TiledFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

namespace tilora::tiled {

namespace {

// Any real tileset image is far smaller; the bound keeps the tile arithmetic from overflowing.
constexpr std::int64_t MaxImageSide = 1 << 20;

// Tiles that fit along one side, as Tiled counts them: the margin once, then tiles with spacing.
std::int64_t tilesAlong(std::int64_t side, std::int64_t tile, std::int64_t margin,
                        std::int64_t spacing) {
    if (side - margin < tile) return 0;
    return (side - margin + spacing) / (tile + spacing);
}

void makeTransparent(Bitmap& picture, Pixel colour) {
    Pixel* p = picture.data();
    Pixel* const end = p + std::size_t(picture.width()) * std::size_t(picture.height());
    for (; p != end; ++p)
        if ((*p | 0xFF000000u) == colour) *p = 0;
}

} // namespace

bool TilesetPicture::isChipSheet() const {
    return margin == 0 && spacing == 0 && tileSize == 32;
}

Result<TilesetPicture> loadTilesetPicture(const TiledTileset& ts, TiledFormat format, int tileSize,
                                          ImageUse use, std::vector<std::string>& notices,
                                          std::vector<std::string>& inputs) {
    const auto refuse = [format](const std::string& what) { return tiledRefusal(format, what); };
    // The name with its quotes and, in English, the space before it.
    const std::string named = ts.name.empty() ? std::string() : i18n(" “%1”", {ts.name});
    const std::string formatName = format == TiledFormat::Tmx ? "TMX" : "JSON";
    if (!ts.image)
        return tiledUnsupported(
            format, i18n("a tileset%1 not made of one image (a collection of images)", {named}));
    if (ts.tileWidth != tileSize || ts.tileHeight != tileSize)
        return refuse(i18n("the tileset%3 of %1 x %2 tiles is not supported (the map's tiles "
                           "are %4 x %4)",
                           {ts.tileWidth, ts.tileHeight, named, tileSize}));
    if (ts.spacing < 0 || ts.margin < 0 || ts.spacing > MaxImageSide || ts.margin > MaxImageSide)
        return refuse(i18n("the spacing or the margin of the tileset%1 is not valid", {named}));

    const TiledImage& image = *ts.image;
    TilesetPicture out;
    out.imagePath = image.path;
    out.tileSize = tileSize;
    out.margin = int(ts.margin);
    out.spacing = int(ts.spacing);
    const auto badSize = [&refuse](std::int64_t w, std::int64_t h) {
        return refuse(i18n("the size of the tileset's image is not valid (%1 x %2)", {w, h}));
    };
    const auto outOfRange = [](std::int64_t v) { return v < 1 || v > MaxImageSide; };
    const bool declared = image.width >= 0 && image.height >= 0;
    if (declared && (outOfRange(image.width) || outOfRange(image.height)))
        return badSize(image.width, image.height);

    struct stat st {};
    const bool missing = ::stat(image.path.c_str(), &st) != 0 && errno == ENOENT;
    FileBytes bytes;
    if (!missing) {
        Result<FileBytes> read = readWholeFile(image.path, std::size_t(512) << 20);
        if (!read)
            return refuse(i18n("cannot read the tileset's image: %1 (%2)",
                               {image.path, read.error().message}));
        bytes = std::move(*read);
        inputs.push_back(image.path);
    }
    const Result<ImageSize> real = missing ? Result<ImageSize>(Error{}) : readSheetImageSize(bytes);
    std::int64_t width = image.width;
    std::int64_t height = image.height;
    if (real) {
        if (declared && (real->width != image.width || real->height != image.height))
            return refuse(i18n(
                "the tileset's image is %1 x %2, not the %3 x %4 the %6 file "
                "gives: %5",
                {real->width, real->height, image.width, image.height, image.path, formatName}));
        width = real->width;
        height = real->height;
    } else if (use == ImageUse::TransparentPicture) {
        return refuse(
            i18n("cannot read the tileset's image: %1 (%2)",
                 {image.path, missing ? i18n("the file does not exist") : real.error().message}));
    } else if (!declared) {
        return refuse(i18n("the size of the tileset's image is unknown: %1", {image.path}));
    } else {
        notices.push_back(
            missing ? i18n("the tileset's image is missing, so the size the %4 file gives, %1 x "
                           "%2, was used as it is: %3",
                           {width, height, image.path, formatName})
                    : i18n("the tileset's image is of an unknown kind, so the size the %4 file "
                           "gives, %1 x %2, was used as it is: %3",
                           {width, height, image.path, formatName}));
    }
    if (outOfRange(width) || outOfRange(height)) return badSize(width, height);
    out.imageWidth = int(width);
    out.imageHeight = int(height);

    const std::int64_t columns = tilesAlong(width, tileSize, ts.margin, ts.spacing);
    if (ts.columns && *ts.columns != columns)
        return tiledUnsupported(format,
                                i18n("a tileset whose columns do not match its image's width"));
    const std::int64_t capacity = columns * tilesAlong(height, tileSize, ts.margin, ts.spacing);
    out.columns = int(columns);
    out.tileCount = ts.tileCount ? *ts.tileCount : capacity;
    if (out.tileCount < 0 || out.tileCount > capacity)
        return refuse(i18n("the tileset's tilecount does not match its image's size"));

    if (real && use != ImageUse::Name) {
        Result<Bitmap> picture = decodeSheetImage(
            bytes, use == ImageUse::Picture ? Transparency::OverBlack : Transparency::Kept);
        if (!picture) return Error{i18n("%1 (%2)", {picture.error().message, image.path})};
        if (use == ImageUse::TransparentPicture && image.transparent)
            makeTransparent(*picture, *image.transparent);
        out.pixels = std::move(*picture);
    }
    return out;
}

void drawTile(Bitmap& dst, int x, int y, const TilesetPicture& ts, std::int64_t id, int factor,
              int weight, std::uint32_t flips) {
    const Bitmap& src = *ts.pixels;
    const int sx = ts.margin + int(id % ts.columns) * (ts.tileSize + ts.spacing);
    const int sy = ts.margin + int(id / ts.columns) * (ts.tileSize + ts.spacing);
    const int last = ts.tileSize - 1;
    const bool diagonal = flips & FlippedDiagonally;
    const bool horizontal = flips & FlippedHorizontally;
    const bool vertical = flips & FlippedVertically;
    const int size = ts.tileSize * factor;
    for (int dy = 0; dy < size; ++dy) {
        Pixel* to = dst.row(y + dy) + x;
        for (int dx = 0; dx < size; ++dx) {
            // Undo the flips in reverse order to find the source pixel.
            int u = dx / factor;
            int v = dy / factor;
            if (vertical) v = last - v;
            if (horizontal) u = last - u;
            if (diagonal) std::swap(u, v);
            const Pixel s = src.pixel(sx + u, sy + v);
            const Pixel a = (s >> 24) * Pixel(weight) / 255;
            if (a == 0) continue;
            if (a == 255) {
                to[dx] = s;
                continue;
            }
            const Pixel d = to[dx];
            const auto mix = [a, s, d](int shift) {
                const Pixel c =
                    ((s >> shift & 0xFF) * a + (d >> shift & 0xFF) * (255 - a) + 127) / 255;
                return c << shift;
            };
            to[dx] = 0xFF000000u | mix(16) | mix(8) | mix(0);
        }
    }
}

} // namespace tilora::tiled
