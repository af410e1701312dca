// The JSON half of the Tiled writer: the members in the order Tiled writes them, the tile data as
// one array with a row per line.

#include "cli/TmxWriter.h"

#include <charconv>
#include <cstring>

namespace tilora::cli {

namespace {

// Appends to a buffer known to be large enough.
class JsonWriter {
  public:
    explicit JsonWriter(char* p) : p_(p) {}
    char* pos() const { return p_; }
    void setPos(char* p) { p_ = p; }
    void raw(std::string_view s) {
        std::memcpy(p_, s.data(), s.size());
        p_ += s.size();
    }
    void number(std::int64_t v) { p_ = std::to_chars(p_, p_ + 24, v).ptr; }
    // A string with '"', '\' and control characters escaped; UTF-8 passes as it is.
    void string(std::string_view text) {
        *p_++ = '"';
        for (char ch : text) {
            const auto u = static_cast<unsigned char>(ch);
            if (ch == '"' || ch == '\\') {
                *p_++ = '\\';
                *p_++ = ch;
            } else if (u < 0x20) {
                constexpr char Hex[] = "0123456789abcdef";
                raw("\\u00");
                *p_++ = Hex[u >> 4];
                *p_++ = Hex[u & 15];
            } else {
                *p_++ = ch;
            }
        }
        *p_++ = '"';
    }
    // ` "name":value,` with the indentation Tiled uses.
    void member(std::string_view indent, std::string_view name, std::int64_t value) {
        raw(indent);
        string(name);
        *p_++ = ':';
        number(value);
        raw(",\n");
    }
    void member(std::string_view indent, std::string_view name, std::string_view value) {
        raw(indent);
        string(name);
        *p_++ = ':';
        string(value);
        raw(",\n");
    }

  private:
    char* p_;
};

} // namespace

TmxDocument formatTmj(const MapContents& map, const TmxTileset& tileset) {
    const std::size_t cellCount = std::size_t(map.width) * map.height;
    // Fixed text under 1 KiB, escaped texts at most 6 bytes per byte, each cell at most 10 digits
    // and a comma, each row a line break, and the 8 bytes the last cell's store may reach past it.
    const std::size_t capacity = 1024 + (tileset.name.size() + tileset.imageSource.size()) * 6 +
                                 cellCount * 11 + std::size_t(map.height) + 8;
    TmxDocument doc;
    doc.data_ = PageBuffer(capacity);
    JsonWriter out(doc.data_.data());

    constexpr std::string_view Top = " ";
    constexpr std::string_view Inner = "         ";
    out.raw("{ \"compressionlevel\":-1,\n");
    out.member(Top, "height", map.height);
    out.raw(" \"infinite\":false,\n \"layers\":[\n        {\n         \"data\":[");
    std::int64_t emptied = 0;
    out.setPos(writeGidRows(out.pos(), map, tileset.tileCount(), emptied));
    out.setPos(out.pos() - 1); // the last row's line break
    out.raw("],\n");
    out.member(Inner, "height", map.height);
    out.member(Inner, "id", 1);
    out.member(Inner, "name", "map");
    out.member(Inner, "opacity", 1);
    out.member(Inner, "type", "tilelayer");
    out.raw("         \"visible\":true,\n");
    out.member(Inner, "width", map.width);
    out.member(Inner, "x", 0);
    out.raw("         \"y\":0\n        }],\n");
    out.member(Top, "nextlayerid", 2);
    out.member(Top, "nextobjectid", 1);
    out.member(Top, "orientation", "orthogonal");
    out.member(Top, "renderorder", "right-down");
    out.member(Top, "tileheight", 32);
    out.raw(" \"tilesets\":[\n        {\n");
    out.member(Inner, "columns", tileset.columns());
    out.member(Inner, "firstgid", 1);
    out.member(Inner, "image", tileset.imageSource);
    out.member(Inner, "imageheight", tileset.imageHeight);
    out.member(Inner, "imagewidth", tileset.imageWidth);
    out.member(Inner, "margin", 0);
    out.member(Inner, "name", tileset.name);
    out.member(Inner, "spacing", 0);
    out.member(Inner, "tilecount", tileset.tileCount());
    out.member(Inner, "tileheight", 32);
    out.raw("         \"tilewidth\":32\n        }],\n");
    out.member(Top, "tilewidth", 32);
    out.member(Top, "type", "map");
    out.member(Top, "version", "1.8");
    out.raw(" \"width\":");
    out.number(map.width);
    out.raw("\n}\n");
    doc.size_ = std::size_t(out.pos() - doc.data_.data());
    doc.emptied_ = emptied;
    return doc;
}

} // namespace tilora::cli
