#include "cli/TmxLayerData.h"

#include <QByteArray>
#include <QString>

#include <zlib.h>

#include <cstring>
#include <string>

namespace tilora::cli {

namespace {

Error dataError(const std::string& what) {
    return Error{"TMX を読み込めません：" + what};
}

Error countError(std::size_t found, std::size_t expected) {
    return dataError("レイヤーのタイルの数が " + std::to_string(found) +
                     " 個です（幅 x 高さ = " + std::to_string(expected) + " 個のはずです）");
}

bool isSpace(char16_t ch) {
    return ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t';
}

// Inflates exactly `expected` bytes; windowBits selects zlib (15) or gzip (15 + 16). More or
// fewer bytes than expected, or a damaged stream, is an error.
Result<QByteArray> inflateExactly(const QByteArray& in, std::size_t expected, int windowBits) {
    QByteArray out(qsizetype(expected), Qt::Uninitialized);
    z_stream zs{};
    if (inflateInit2(&zs, windowBits) != Z_OK) return dataError("圧縮データを展開できません");
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
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
        inflateEnd(&zs);
        if (rc == Z_STREAM_END && zs.avail_out == 1) return out;
        return dataError("圧縮データのタイルが幅 x 高さより多いか、データが壊れています");
    }
    const std::size_t produced = expected - zs.avail_out;
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) return dataError("圧縮データが壊れています");
    if (produced != expected) return countError(produced / 4, expected / 4);
    return out;
}

} // namespace

Result<TileIds> decodeCsvTiles(QStringView text, std::size_t expected) {
    TileIds ids;
    ids.reserve(expected);
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    std::size_t index = 0;
    while (true) {
        while (p != end && isSpace(*p))
            ++p;
        if (p == end) break;
        if (*p < '0' || *p > '9')
            return dataError("CSV の " + std::to_string(index + 1) +
                             " 番目の値が数値ではありません");
        std::uint64_t v = 0;
        while (p != end && *p >= '0' && *p <= '9') {
            v = v * 10 + std::uint64_t(*p - '0');
            if (v > 0xFFFFFFFFu)
                return dataError("CSV の " + std::to_string(index + 1) + " 番目の値が大きすぎます");
            ++p;
        }
        if (ids.size() == expected) return countError(expected + 1, expected);
        ids.push_back(std::uint32_t(v));
        ++index;
        while (p != end && isSpace(*p))
            ++p;
        if (p == end) break;
        if (*p != ',')
            return dataError("CSV の " + std::to_string(index) +
                             " 番目の値の後に「,」がありません");
        ++p;
    }
    if (ids.size() != expected) return countError(ids.size(), expected);
    return ids;
}

Result<TileIds> decodeBase64Tiles(QStringView text, QStringView compression, std::size_t expected) {
    QByteArray packed;
    packed.reserve(text.size());
    for (QChar qch : text) {
        const char16_t ch = qch.unicode();
        if (isSpace(ch)) continue;
        if (ch > 0x7F) return dataError("base64 のデータに使えない文字があります");
        packed.append(char(ch));
    }
    auto decoded = QByteArray::fromBase64Encoding(packed, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return dataError("base64 のデータが壊れています");

    const std::size_t bytes = expected * 4;
    QByteArray raw;
    if (compression.isEmpty()) {
        raw = std::move(*decoded);
    } else if (compression == u"zlib" || compression == u"gzip") {
        auto inflated = inflateExactly(*decoded, bytes, compression == u"zlib" ? 15 : 15 + 16);
        if (!inflated) return inflated.error();
        raw = std::move(*inflated);
    } else {
        return dataError("圧縮形式 " + compression.toString().toStdString() +
                         " には対応していません（zlib と gzip のみ）");
    }
    if (std::size_t(raw.size()) != bytes) {
        if (raw.size() % 4 != 0)
            return dataError("base64 のデータの長さが4バイトの倍数ではありません");
        return countError(std::size_t(raw.size()) / 4, expected);
    }
    TileIds ids(expected);
    const auto* b = reinterpret_cast<const unsigned char*>(raw.constData());
    for (std::size_t k = 0; k < expected; ++k, b += 4)
        ids[k] = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                 std::uint32_t(b[3]) << 24;
    return ids;
}

} // namespace tilora::cli
