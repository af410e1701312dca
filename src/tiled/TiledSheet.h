#pragma once
// A tileset the import names or draws from: its image checked against what the tileset says,
// its grid worked out as Tiled does (margin around, spacing between tiles), and the drawing of
// one tile, scaled by a whole factor, into a chip sheet being generated.

#include "core/Bitmap.h"
#include "core/Result.h"
#include "tiled/TiledMap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tilora::tiled {

// Chips a generated sheet may hold: as many as a sheet the editor takes.
inline constexpr std::int64_t MaxGeneratedChips = std::int64_t(64) * 1024 * 1024 / (32 * 32);

// What the import needs of a tileset's image.
enum class ImageUse {
    Name,    // only its size (a missing or unknown image leaves the declared size trusted)
    Picture, // also its pixels over black, when it is there and a BMP or PNG
    TransparentPicture // its pixels with their transparency (and "trans" colour) kept; required
};

struct TilesetPicture {
    std::string imagePath;
    int imageWidth = 0;
    int imageHeight = 0;
    int tileSize = 0;
    int margin = 0;
    int spacing = 0;
    int columns = 0;
    std::int64_t tileCount = 0;
    std::optional<Bitmap> pixels;
    // Whether the tiles lie on the image exactly as a chip sheet's chips do.
    bool isChipSheet() const;
};

// The tileset must be one of the map's tile size (tileSize, square) cut from one image. Remarks
// that do not stop the import are added to notices; files read are added to inputs.
Result<TilesetPicture> loadTilesetPicture(const TiledTileset& tileset, TiledFormat format,
                                          int tileSize, ImageUse use,
                                          std::vector<std::string>& notices,
                                          std::vector<std::string>& inputs);

// Tiled's flip flags, in the top bits of a global tile id.
inline constexpr std::uint32_t FlippedHorizontally = 0x80000000u;
inline constexpr std::uint32_t FlippedVertically = 0x40000000u;
inline constexpr std::uint32_t FlippedDiagonally = 0x20000000u;
inline constexpr std::uint32_t RotatedHexagonal120 = 0x10000000u;
inline constexpr std::uint32_t FlagBits = 0xF0000000u;

// Draws tile `id` of the tileset at (x, y) of dst, each pixel repeated factor x factor times,
// over what is there, weighted by the tile's alpha times weight (0..255). flips: the diagonal,
// horizontal and vertical flags, applied in Tiled's order (the diagonal, an exchange of x and y,
// first).
void drawTile(Bitmap& dst, int x, int y, const TilesetPicture& tileset, std::int64_t id, int factor,
              int weight, std::uint32_t flips = 0);

} // namespace tilora::tiled
