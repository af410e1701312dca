#include "tiled/TiledSheet.h"

#include "core/FileIO.h"
#include "core/SheetImage.h"
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
    const std::string lead = refusalLead(format);
    const auto refuse = [&lead](const std::string& what) { return Error{lead + what}; };
    const std::string named = ts.name.empty() ? std::string() : "「" + ts.name + "」";
    if (!ts.image)
        return refuse("1枚の画像からできていないタイルセット" + named +
                      "（画像の集まり）には対応していません");
    if (ts.tileWidth != tileSize || ts.tileHeight != tileSize)
        return refuse("タイルの大きさ " + std::to_string(ts.tileWidth) + " x " +
                      std::to_string(ts.tileHeight) + " のタイルセット" + named +
                      "には対応していません（マップのタイルは " + std::to_string(tileSize) + " x " +
                      std::to_string(tileSize) + "）");
    if (ts.spacing < 0 || ts.margin < 0 || ts.spacing > MaxImageSide || ts.margin > MaxImageSide)
        return refuse("タイルセット" + named +
                      "の間隔（spacing）か余白（margin）が正しくありません");

    const TiledImage& image = *ts.image;
    TilesetPicture out;
    out.imagePath = image.path;
    out.tileSize = tileSize;
    out.margin = int(ts.margin);
    out.spacing = int(ts.spacing);
    const auto badSize = [&refuse](std::int64_t w, std::int64_t h) {
        return refuse("タイルセットの画像の大きさが正しくありません（" + std::to_string(w) + " x " +
                      std::to_string(h) + "）");
    };
    const auto outOfRange = [](std::int64_t v) { return v < 1 || v > MaxImageSide; };
    const bool declared = image.width >= 0 && image.height >= 0;
    if (declared && (outOfRange(image.width) || outOfRange(image.height)))
        return badSize(image.width, image.height);

    struct stat st {};
    const bool missing = ::stat(image.path.c_str(), &st) != 0 && errno == ENOENT;
    std::string bytes;
    if (!missing) {
        Result<std::string> read = readWholeFile(image.path, std::size_t(512) << 20);
        if (!read)
            return refuse("タイルセットの画像を読めません：" + image.path + "（" +
                          read.error().message + "）");
        bytes = std::move(*read);
        inputs.push_back(image.path);
    }
    const Result<ImageSize> real = missing ? Result<ImageSize>(Error{}) : readSheetImageSize(bytes);
    std::int64_t width = image.width;
    std::int64_t height = image.height;
    if (real) {
        if (declared && (real->width != image.width || real->height != image.height))
            return refuse("タイルセットの画像の大きさ " + std::to_string(real->width) + " x " +
                          std::to_string(real->height) + " が" +
                          (format == TiledFormat::Tmx ? " TMX " : " JSON ") + "に書かれた " +
                          std::to_string(image.width) + " x " + std::to_string(image.height) +
                          " と違います：" + image.path);
        width = real->width;
        height = real->height;
    } else if (use == ImageUse::TransparentPicture) {
        return refuse("タイルセットの画像を読めません：" + image.path + "（" +
                      (missing ? std::string("ファイルがありません") : real.error().message) +
                      "）");
    } else if (!declared) {
        return refuse("タイルセットの画像の大きさがわかりません：" + image.path);
    } else {
        notices.push_back(std::string(missing ? "タイルセットの画像がないため"
                                              : "タイルセットの画像の形式がわからないため") +
                          "、" + (format == TiledFormat::Tmx ? "TMX" : "JSON") +
                          " に書かれた大きさ " + std::to_string(width) + " x " +
                          std::to_string(height) + " をそのまま使いました：" + image.path);
    }
    if (outOfRange(width) || outOfRange(height)) return badSize(width, height);
    out.imageWidth = int(width);
    out.imageHeight = int(height);

    const std::int64_t columns = tilesAlong(width, tileSize, ts.margin, ts.spacing);
    if (ts.columns && *ts.columns != columns)
        return refuse("画像の幅と列数（columns）が合わないタイルセットには対応していません");
    const std::int64_t capacity = columns * tilesAlong(height, tileSize, ts.margin, ts.spacing);
    out.columns = int(columns);
    out.tileCount = ts.tileCount ? *ts.tileCount : capacity;
    if (out.tileCount < 0 || out.tileCount > capacity)
        return refuse("タイルセットのタイル数（tilecount）が画像の大きさと合いません");

    if (real && use != ImageUse::Name) {
        Result<Bitmap> picture = decodeSheetImage(
            bytes, use == ImageUse::Picture ? Transparency::OverBlack : Transparency::Kept);
        if (!picture) return Error{picture.error().message + "（" + image.path + "）"};
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
