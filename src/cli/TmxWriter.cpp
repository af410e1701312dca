#include "cli/TmxWriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstring>

namespace tilora::cli {

namespace {

// Appends text to a buffer known to be large enough.
class Writer {
  public:
    explicit Writer(char* p) : p_(p) {}
    char* pos() const { return p_; }
    void setPos(char* p) { p_ = p; }

    void raw(std::string_view s) {
        std::memcpy(p_, s.data(), s.size());
        p_ += s.size();
    }
    void number(std::int64_t v) { p_ = std::to_chars(p_, p_ + 24, v).ptr; }
    void escaped(std::string_view text) {
        for (char ch : text) {
            switch (ch) {
            case '&':
                raw("&amp;");
                break;
            case '<':
                raw("&lt;");
                break;
            case '>':
                raw("&gt;");
                break;
            case '"':
                raw("&quot;");
                break;
            case '\t':
                raw("&#9;");
                break;
            default:
                *p_++ = ch;
                break;
            }
        }
    }
    // ` name="value"`
    void attribute(std::string_view name, std::int64_t value) {
        *p_++ = ' ';
        raw(name);
        raw("=\"");
        number(value);
        *p_++ = '"';
    }
    void attribute(std::string_view name, std::string_view value) {
        *p_++ = ' ';
        raw(name);
        raw("=\"");
        escaped(value);
        *p_++ = '"';
    }

  private:
    char* p_;
};

} // namespace

TiledOutput tiledOutputFor(std::string_view path) {
    const auto endsWith = [path](std::string_view suffix) {
        return path.size() >= suffix.size() &&
               std::equal(
                   suffix.begin(), suffix.end(), path.end() - std::ptrdiff_t(suffix.size()),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    };
    return endsWith(".tmj") || endsWith(".json") ? TiledOutput::Tmj : TiledOutput::Tmx;
}

namespace {

// Ids below this are written from a table.
constexpr std::uint32_t TabledIds = 10000;

// For each id below TabledIds, the bytes to store: its digits and a comma from the low byte up,
// and in the top byte how many of them there are.
struct GidTable {
    std::array<std::uint64_t, TabledIds> entries{};
    constexpr GidTable() {
        for (std::uint32_t gid = 0; gid < TabledIds; ++gid) {
            char text[8] = {};
            int length = 0;
            for (std::uint32_t rest = gid; length == 0 || rest > 0; rest /= 10)
                text[length++] = char('0' + rest % 10);
            std::uint64_t entry = 0;
            for (int k = 0; k < length; ++k)
                entry |= std::uint64_t(std::uint8_t(text[length - 1 - k])) << (8 * k);
            entry |= std::uint64_t(',') << (8 * length);
            entry |= std::uint64_t(length + 1) << 56;
            entries[gid] = entry;
        }
    }
};

constexpr GidTable Gids;

// Writes gid and a comma at p; below TabledIds as one 8-byte store (the bytes after the comma
// are written over by what follows), so p must have 8 bytes of room.
char* writeGid(char* p, std::uint32_t gid) {
    if (gid >= TabledIds) {
        p = std::to_chars(p, p + 10, gid).ptr;
        *p++ = ',';
        return p;
    }
    const std::uint64_t entry = Gids.entries[gid];
    std::memcpy(p, &entry, sizeof entry);
    return p + (entry >> 56);
}

} // namespace

char* writeGidRows(char* p, const MapContents& map, int tileCount, std::int64_t& emptied) {
    const auto tiles = std::uint32_t(std::max(tileCount, 0));
    const std::int32_t* cell = map.cells.data();
    std::int64_t empty = 0;
    for (int r = 0; r < map.height; ++r) {
        for (int c = 0; c < map.width; ++c) {
            // One unsigned compare keeps chips in [0, tiles); -1 wraps to a huge value.
            const auto chip = static_cast<std::uint32_t>(*cell++);
            const bool onSheet = chip < tiles;
            empty += onSheet ? 0 : 1;
            p = writeGid(p, onSheet ? chip + 1 : 0);
        }
        // Tiled ends every row with a comma but the last.
        if (r + 1 == map.height && map.width > 0) --p;
        *p++ = '\n';
    }
    emptied += empty;
    return p;
}

bool isXmlAttributeText(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char ch) {
        const auto u = static_cast<unsigned char>(ch);
        return (u < 0x20 && ch != '\t') || u == 0x7F;
    });
}

TmxDocument formatTmx(const MapContents& map, const TmxTileset& tileset) {
    const std::size_t cellCount = std::size_t(map.width) * map.height;
    // Fixed text under 1 KiB, escaped names at most 6 bytes per byte, each cell at most 10
    // digits and a comma, each row a line break, and the 8 bytes the last cell's store may reach
    // past it.
    const std::size_t capacity = 1024 + (tileset.name.size() + tileset.imageSource.size()) * 6 +
                                 cellCount * 11 + std::size_t(map.height) + 8;
    TmxDocument doc;
    doc.data_ = PageBuffer(capacity);
    Writer out(doc.data_.data());

    out.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"1.8\" "
            "orientation=\"orthogonal\" renderorder=\"right-down\"");
    out.attribute("width", map.width);
    out.attribute("height", map.height);
    out.raw(" tilewidth=\"32\" tileheight=\"32\" infinite=\"0\" nextlayerid=\"2\" "
            "nextobjectid=\"1\">\n <tileset firstgid=\"1\"");
    out.attribute("name", tileset.name);
    out.raw(" tilewidth=\"32\" tileheight=\"32\"");
    out.attribute("tilecount", tileset.tileCount());
    out.attribute("columns", tileset.columns());
    out.raw(">\n  <image");
    out.attribute("source", tileset.imageSource);
    out.attribute("width", tileset.imageWidth);
    out.attribute("height", tileset.imageHeight);
    out.raw("/>\n </tileset>\n <layer id=\"1\" name=\"map\"");
    out.attribute("width", map.width);
    out.attribute("height", map.height);
    out.raw(">\n  <data encoding=\"csv\">\n");

    std::int64_t emptied = 0;
    char* p = writeGidRows(out.pos(), map, tileset.tileCount(), emptied);
    out.setPos(p);
    out.raw("</data>\n </layer>\n</map>\n");
    doc.size_ = std::size_t(out.pos() - doc.data_.data());
    doc.emptied_ = emptied;
    return doc;
}

} // namespace tilora::cli
