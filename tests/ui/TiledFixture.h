#pragma once
// Tiled maps for the editor's tests: a tileset picture and a TMX naming it, plain or gzipped.

#include "TestApp.h"

#include <QImage>

#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <utility>
#include <vector>

namespace tilora::test {

// The bytes as a gzip stream.
inline std::string gzipped(const std::string& bytes) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, uLong(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Writes tiles.png among the test's files, a tileset of 4 x 4 tiles of `tile` pixels, tile k
// all chipColour(k), and returns a TMX of a 10 x 10 map using it with the given layers (name,
// csv of the 100 global ids).
inline std::string tiledFixture(TestApp& t, int tile,
                                const std::vector<std::pair<std::string, std::string>>& layers) {
    QImage tiles(4 * tile, 4 * tile, QImage::Format_RGB32);
    for (int k = 0; k < 16; ++k)
        for (int y = 0; y < tile; ++y)
            for (int x = 0; x < tile; ++x)
                tiles.setPixel((k % 4) * tile + x, (k / 4) * tile + y, chipColour(k));
    EXPECT_TRUE(tiles.save(t.path(QStringLiteral("tiles.png"))));
    const std::string size = std::to_string(tile);
    std::string tmx = "<?xml version=\"1.0\"?>\n<map orientation=\"orthogonal\" width=\"10\" "
                      "height=\"10\" tilewidth=\"" +
                      size + "\" tileheight=\"" + size +
                      "\"><tileset firstgid=\"1\" name=\"tiles\" tilewidth=\"" + size +
                      "\" tileheight=\"" + size + "\"><image source=\"tiles.png\"/></tileset>";
    for (const auto& [name, csv] : layers)
        tmx += "<layer name=\"" + name + "\" width=\"10\" height=\"10\"><data encoding=\"csv\">" +
               csv + "</data></layer>";
    return tmx + "</map>\n";
}

} // namespace tilora::test
