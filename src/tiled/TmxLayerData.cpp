#include "tiled/TmxLayerData.h"

#include "core/Texts.h"

#include <zlib.h>

#include <string>

namespace tilora::tiled {

namespace {

Error dataError(const std::string& what) {
    return Error{what};
}

Error countError(std::size_t found, std::size_t expected) {
    return dataError(
        i18n("the layer has %1 tiles (there should be width x height = %2)", {found, expected}));
}

bool isSpace(char ch) {
    return ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t';
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Standard base64; blanks anywhere, '=' padding only at the end (it may also be left off).
Result<std::string> decodeBase64(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t acc = 0;
    int bits = 0;
    int pad = 0;
    std::size_t symbols = 0;
    for (char c : text) {
        if (isSpace(c)) continue;
        if (c == '=') {
            ++pad;
            continue;
        }
        const int v = base64Value(c);
        if (v < 0 || pad > 0) return dataError(i18n("the base64 data is damaged"));
        ++symbols;
        acc = (acc << 6) | std::uint32_t(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += char((acc >> bits) & 0xFF);
        }
    }
    const std::size_t total = symbols + std::size_t(pad);
    if (symbols % 4 == 1 || pad > 2 || (pad > 0 && total % 4 != 0))
        return dataError(i18n("the base64 data is damaged"));
    return out;
}

// Inflates exactly `expected` bytes; windowBits selects zlib (15) or gzip (15 + 16). More or
// fewer bytes than expected, a damaged stream, or anything after the stream's end is an error.
Result<std::string> inflateExactly(const std::string& in, std::size_t expected, int windowBits) {
    std::string out(expected, '\0');
    z_stream zs{};
    if (inflateInit2(&zs, windowBits) != Z_OK)
        return dataError(i18n("cannot unpack the compressed data"));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = uInt(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(expected);
    int rc = inflate(&zs, Z_FINISH);
    // The output buffer is full but the stream goes on: the data holds more tiles than expected.
    if (rc != Z_STREAM_END && zs.avail_out == 0) {
        Bytef probe;
        zs.next_out = &probe;
        zs.avail_out = 1;
        rc = inflate(&zs, Z_FINISH);
        const bool more = zs.avail_out == 0;
        inflateEnd(&zs);
        if (rc != Z_STREAM_END || more)
            return dataError(
                i18n("the compressed data holds more tiles than width x height, or is damaged"));
    } else {
        inflateEnd(&zs);
        if (rc != Z_STREAM_END) return dataError(i18n("the compressed data is damaged"));
        const std::size_t produced = expected - zs.avail_out;
        if (produced != expected) return countError(produced / 4, expected / 4);
    }
    if (zs.avail_in != 0) return dataError(i18n("extra data after the compressed data"));
    return out;
}

} // namespace

Result<TileIds> decodeCsvTiles(std::string_view text, std::size_t expected) {
    TileIds ids;
    ids.reserve(expected);
    const char* p = text.data();
    const char* const end = p + text.size();
    std::size_t index = 0;
    while (true) {
        while (p != end && isSpace(*p))
            ++p;
        if (p == end) break;
        if (*p < '0' || *p > '9')
            return dataError(i18n("value %1 of the CSV is not a number", {index + 1}));
        std::uint64_t v = 0;
        while (p != end && *p >= '0' && *p <= '9') {
            v = v * 10 + std::uint64_t(*p - '0');
            if (v > 0xFFFFFFFFu)
                return dataError(i18n("value %1 of the CSV is too large", {index + 1}));
            ++p;
        }
        if (ids.size() == expected) return countError(expected + 1, expected);
        ids.push_back(std::uint32_t(v));
        ++index;
        while (p != end && isSpace(*p))
            ++p;
        if (p == end) break;
        if (*p != ',') return dataError(i18n("no \",\" after value %1 of the CSV", {index}));
        ++p;
    }
    if (ids.size() != expected) return countError(ids.size(), expected);
    return ids;
}

Result<TileIds> decodeBase64Tiles(std::string_view text, std::string_view compression,
                                  std::size_t expected) {
    auto decoded = decodeBase64(text);
    if (!decoded) return decoded.error();
    const std::size_t bytes = expected * 4;
    std::string raw;
    if (compression.empty()) {
        raw = std::move(*decoded);
    } else if (compression == "zlib" || compression == "gzip") {
        auto inflated = inflateExactly(*decoded, bytes, compression == "zlib" ? 15 : 15 + 16);
        if (!inflated) return inflated.error();
        raw = std::move(*inflated);
    } else {
        return dataError(i18n("the compression %1 is not supported (only zlib and gzip)",
                              {std::string(compression)}));
    }
    if (raw.size() != bytes) {
        if (raw.size() % 4 != 0)
            return dataError(i18n("the base64 data's length is not a multiple of 4 bytes"));
        return countError(raw.size() / 4, expected);
    }
    TileIds ids(expected);
    const auto* b = reinterpret_cast<const unsigned char*>(raw.data());
    for (std::size_t k = 0; k < expected; ++k, b += 4)
        ids[k] = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                 std::uint32_t(b[3]) << 24;
    return ids;
}

} // namespace tilora::tiled
