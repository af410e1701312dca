#include "cli/TmxReader.h"

#include "cli/TmxLayerData.h"
#include "core/EditorState.h"
#include "platform/SheetSearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QXmlStreamReader>

#include <optional>
#include <string>

namespace tilora::cli {

namespace {

Error tmxError(const std::string& what) {
    return Error{"TMX を読み込めません：" + what};
}

Error unsupported(const std::string& what) {
    return tmxError(what + "には対応していません");
}

std::string text(QStringView s) {
    return s.toString().toStdString();
}
std::string text(QLatin1String s) {
    return std::string(s.data(), std::size_t(s.size()));
}

struct Tileset {
    std::uint32_t firstGid = 1;
    QString imagePath; // absolute
    std::int64_t tileCount = 0;
};

// An integer attribute; `fallback` when it is absent, an error when it is not a number.
Result<std::int64_t> intAttribute(const QXmlStreamReader& xml, QLatin1String element,
                                  QLatin1String name, std::optional<std::int64_t> fallback) {
    const QXmlStreamAttributes attrs = xml.attributes();
    if (!attrs.hasAttribute(name)) {
        if (fallback) return *fallback;
        return tmxError(text(element) + " 要素に " + text(name) + " 属性がありません");
    }
    bool ok = false;
    const qlonglong v = attrs.value(name).toLongLong(&ok);
    if (!ok) return tmxError(text(element) + " 要素の " + text(name) + " 属性が整数ではありません");
    return std::int64_t(v);
}

Status requireChipSize(const QXmlStreamReader& xml, QLatin1String element) {
    for (QLatin1String name : {QLatin1String("tilewidth"), QLatin1String("tileheight")}) {
        auto v = intAttribute(xml, element, name, std::nullopt);
        if (!v) return v.error();
        if (*v != ChipPixels)
            return unsupported("タイルの大きさが 32 x 32 でない " + text(element) + "（" +
                               text(name) + "=" + std::to_string(*v) + "）");
    }
    return Ok{};
}

Error xmlError(const QXmlStreamReader& xml) {
    return tmxError("XML を読めません（" + std::to_string(xml.lineNumber()) + "行目）：" +
                    xml.errorString().toStdString());
}

// The <image> of a tileset: its absolute path, and its size from the attributes or else from
// the file itself.
Status readTilesetImage(QXmlStreamReader& xml, const QString& dir, Tileset& ts,
                        std::optional<std::int64_t> declaredColumns,
                        std::optional<std::int64_t> declaredCount) {
    const QString source = xml.attributes().value(QLatin1String("source")).toString();
    if (source.isEmpty()) return tmxError("タイルセットの image 要素に source 属性がありません");
    ts.imagePath = QDir::cleanPath(QDir(dir).absoluteFilePath(source));
    auto width = intAttribute(xml, QLatin1String("image"), QLatin1String("width"), -1);
    if (!width) return width.error();
    auto height = intAttribute(xml, QLatin1String("image"), QLatin1String("height"), -1);
    if (!height) return height.error();
    if (*width < 0 || *height < 0) {
        const QSize size = QImageReader(ts.imagePath).size();
        if (!size.isValid())
            return tmxError("タイルセットの画像の大きさがわかりません：" +
                            QFile::encodeName(ts.imagePath).toStdString());
        width = std::int64_t(size.width());
        height = std::int64_t(size.height());
    }
    // Any real sheet is far smaller; the bound keeps the chip arithmetic below from overflowing.
    constexpr std::int64_t MaxImageSide = 1 << 20;
    if (*width < 1 || *height < 1 || *width > MaxImageSide || *height > MaxImageSide)
        return tmxError("タイルセットの画像の大きさが正しくありません（" + std::to_string(*width) +
                        " x " + std::to_string(*height) + "）");
    const std::int64_t columns = *width / ChipPixels;
    if (declaredColumns && *declaredColumns != columns)
        return unsupported("画像の幅と列数（columns）が合わないタイルセット");
    ts.tileCount = declaredCount ? *declaredCount : columns * (*height / ChipPixels);
    if (ts.tileCount < 0 || ts.tileCount > columns * (*height / ChipPixels))
        return tmxError("タイルセットのタイル数（tilecount）が画像の大きさと合いません");
    xml.skipCurrentElement();
    return Ok{};
}

// Reads the <tileset> element the reader is on (in a TMX or as the root of a TSX) up to its end.
Status readTilesetBody(QXmlStreamReader& xml, const QString& dir, Tileset& ts) {
    if (auto size = requireChipSize(xml, QLatin1String("tileset")); !size) return size.error();
    for (QLatin1String name : {QLatin1String("spacing"), QLatin1String("margin")}) {
        auto v = intAttribute(xml, QLatin1String("tileset"), name, 0);
        if (!v) return v.error();
        if (*v != 0)
            return unsupported("タイルの間隔や余白（" + text(name) + "）のあるタイルセット");
    }
    std::optional<std::int64_t> columns;
    std::optional<std::int64_t> count;
    const QXmlStreamAttributes attrs = xml.attributes();
    if (attrs.hasAttribute(QLatin1String("columns"))) {
        auto v =
            intAttribute(xml, QLatin1String("tileset"), QLatin1String("columns"), std::nullopt);
        if (!v) return v.error();
        columns = *v;
    }
    if (attrs.hasAttribute(QLatin1String("tilecount"))) {
        auto v =
            intAttribute(xml, QLatin1String("tileset"), QLatin1String("tilecount"), std::nullopt);
        if (!v) return v.error();
        count = *v;
    }
    bool haveImage = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"image" && !haveImage) {
            if (auto img = readTilesetImage(xml, dir, ts, columns, count); !img) return img.error();
            haveImage = true;
        } else {
            xml.skipCurrentElement(); // properties, tile properties, terrains: not needed
        }
    }
    if (xml.hasError()) return xmlError(xml);
    if (!haveImage) return unsupported("1枚の画像からできていないタイルセット（画像の集まり）");
    return Ok{};
}

Status readExternalTileset(const QString& path, Tileset& ts) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return tmxError("外部タイルセットを開けません：" + QFile::encodeName(path).toStdString() +
                        "（" + file.errorString().toStdString() + "）");
    QXmlStreamReader xml(&file);
    if (!xml.readNextStartElement() || xml.name() != u"tileset") {
        if (xml.hasError()) return xmlError(xml);
        return tmxError("外部タイルセットに tileset 要素がありません：" +
                        QFile::encodeName(path).toStdString());
    }
    return readTilesetBody(xml, QFileInfo(path).absolutePath(), ts);
}

Status readTileset(QXmlStreamReader& xml, const QString& dir, Tileset& ts) {
    auto first = intAttribute(xml, QLatin1String("tileset"), QLatin1String("firstgid"), 1);
    if (!first) return first.error();
    if (*first < 1 || *first > 0x0FFFFFFF) return tmxError("タイルセットの firstgid が範囲外です");
    ts.firstGid = std::uint32_t(*first);
    const QString source = xml.attributes().value(QLatin1String("source")).toString();
    if (!source.isEmpty()) {
        xml.skipCurrentElement();
        return readExternalTileset(QDir::cleanPath(QDir(dir).absoluteFilePath(source)), ts);
    }
    return readTilesetBody(xml, dir, ts);
}

Result<TileIds> readXmlTiles(QXmlStreamReader& xml, std::size_t expected) {
    TileIds ids;
    ids.reserve(expected);
    while (xml.readNextStartElement()) {
        if (xml.name() == u"chunk") return unsupported("チャンクに分かれたレイヤー（無限マップ）");
        if (xml.name() != u"tile") return tmxError("レイヤーのデータに不明な要素があります");
        if (ids.size() == expected) return tmxError("レイヤーのタイルが幅 x 高さより多くあります");
        auto gid = intAttribute(xml, QLatin1String("tile"), QLatin1String("gid"), 0);
        if (!gid) return gid.error();
        if (*gid < 0 || *gid > 0xFFFFFFFF) return tmxError("tile 要素の gid が範囲外です");
        ids.push_back(std::uint32_t(*gid));
        xml.skipCurrentElement();
    }
    if (xml.hasError()) return xmlError(xml);
    if (ids.size() != expected) return tmxError("レイヤーのタイルの数が幅 x 高さと合いません");
    return ids;
}

Result<TileIds> readLayer(QXmlStreamReader& xml, int width, int height) {
    auto w = intAttribute(xml, QLatin1String("layer"), QLatin1String("width"), width);
    if (!w) return w.error();
    auto h = intAttribute(xml, QLatin1String("layer"), QLatin1String("height"), height);
    if (!h) return h.error();
    if (*w != width || *h != height) return unsupported("マップと大きさの違うレイヤー");
    const std::size_t expected = std::size_t(width) * height;
    std::optional<TileIds> ids;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"data" || ids) {
            xml.skipCurrentElement();
            continue;
        }
        const QString encoding = xml.attributes().value(QLatin1String("encoding")).toString();
        const QString compression = xml.attributes().value(QLatin1String("compression")).toString();
        Result<TileIds> decoded = TileIds{};
        if (encoding.isEmpty()) {
            decoded = readXmlTiles(xml, expected);
        } else if (encoding == u"csv" || encoding == u"base64") {
            const QString body = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            if (xml.hasError()) return xmlError(xml);
            if (encoding == u"csv") {
                if (!compression.isEmpty()) return unsupported("圧縮した CSV");
                decoded = decodeCsvTiles(body, expected);
            } else {
                decoded = decodeBase64Tiles(body, compression, expected);
            }
        } else {
            return unsupported("レイヤーのエンコード " + encoding.toStdString());
        }
        if (!decoded) return decoded.error();
        ids = std::move(*decoded);
    }
    if (xml.hasError()) return xmlError(xml);
    if (!ids) return tmxError("タイルレイヤーに data 要素がありません");
    return std::move(*ids);
}

// Global ids to chips: 0 is no tile (chip -1); any other id must belong to the tileset and carry
// no flip or rotation bits.
Result<TmxImport> toMap(const TileIds& ids, int width, int height, const Tileset& ts) {
    TmxImport out;
    out.map.sheetPath = sheetPathBytes(ts.imagePath);
    out.map.width = width;
    out.map.height = height;
    out.map.cells.resize(ids.size());
    for (std::size_t k = 0; k < ids.size(); ++k) {
        const std::uint32_t gid = ids[k];
        const auto where = [&] {
            return "セル (" + std::to_string(k % std::size_t(width)) + ", " +
                   std::to_string(k / std::size_t(width)) + ")";
        };
        if (gid == 0) {
            out.map.cells[k] = TransparentChip;
            ++out.emptyCells;
            continue;
        }
        if (gid & 0xF0000000u) return unsupported("反転・回転したタイル（" + where() + "）");
        const std::int64_t chip = std::int64_t(gid) - ts.firstGid;
        if (chip < 0 || chip >= ts.tileCount)
            return tmxError(where() + " のタイル ID " + std::to_string(gid) +
                            " はタイルセットにありません");
        out.map.cells[k] = std::int32_t(chip);
    }
    return out;
}

} // namespace

Result<TmxImport> parseTmx(const QByteArray& bytes, const QString& baseDir) {
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != u"map") {
        if (xml.hasError()) return xmlError(xml);
        return tmxError("map 要素がありません（TMX ファイルではありません）");
    }
    const QString orientation = xml.attributes().value(QLatin1String("orientation")).toString();
    if (orientation != u"orthogonal")
        return unsupported("向き（orientation）が " + orientation.toStdString() +
                           " のマップ（orthogonal のみ）");
    if (auto size = requireChipSize(xml, QLatin1String("map")); !size) return size.error();
    auto infinite = intAttribute(xml, QLatin1String("map"), QLatin1String("infinite"), 0);
    if (!infinite) return infinite.error();
    if (*infinite != 0) return unsupported("無限マップ");
    auto width = intAttribute(xml, QLatin1String("map"), QLatin1String("width"), std::nullopt);
    if (!width) return width.error();
    auto height = intAttribute(xml, QLatin1String("map"), QLatin1String("height"), std::nullopt);
    if (!height) return height.error();
    if (*width < 1 || *width > MaxMapSide || *height < 1 || *height > MaxMapSide)
        return unsupported("大きさ " + std::to_string(*width) + " x " + std::to_string(*height) +
                           " のマップ（幅と高さは 1～1000）");

    std::optional<Tileset> tileset;
    std::optional<TileIds> ids;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"tileset") {
            if (tileset) return unsupported("複数のタイルセット");
            Tileset ts;
            if (auto read = readTileset(xml, baseDir, ts); !read) return read.error();
            tileset = std::move(ts);
        } else if (name == u"layer") {
            if (ids) return unsupported("複数のタイルレイヤー");
            auto layer = readLayer(xml, int(*width), int(*height));
            if (!layer) return layer.error();
            ids = std::move(*layer);
        } else if (name == u"objectgroup" || name == u"imagelayer" || name == u"group") {
            return unsupported("タイルレイヤー以外のレイヤー（" + text(name) + "）");
        } else {
            xml.skipCurrentElement(); // properties, editor settings
        }
    }
    if (xml.hasError()) return xmlError(xml);
    if (!tileset) return tmxError("タイルセットがありません");
    if (!ids) return tmxError("タイルレイヤーがありません");
    return toMap(*ids, int(*width), int(*height), *tileset);
}

} // namespace tilora::cli
