#include "cli/TmxReader.h"

#include "cli/InputFile.h"
#include "cli/TmxLayerData.h"
#include "core/EditorState.h"
#include "core/SheetImage.h"

#include <expat.h>

#include <charconv>
#include <filesystem>
#include <memory>
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

std::string joinPath(const std::string& dir, std::string_view relative) {
    return (std::filesystem::path(dir) / std::filesystem::path(relative))
        .lexically_normal()
        .string();
}

using Attributes = const XML_Char**;

const char* findAttribute(Attributes attrs, std::string_view name) {
    for (; attrs[0]; attrs += 2)
        if (name == attrs[0]) return attrs[1];
    return nullptr;
}

std::string_view attributeText(Attributes attrs, std::string_view name) {
    const char* v = findAttribute(attrs, name);
    return v ? std::string_view(v) : std::string_view();
}

// An integer attribute; `fallback` when it is absent, an error when it is not a number.
Result<std::int64_t> intAttribute(Attributes attrs, std::string_view element, std::string_view name,
                                  std::optional<std::int64_t> fallback) {
    const char* v = findAttribute(attrs, name);
    if (!v) {
        if (fallback) return *fallback;
        return tmxError(std::string(element) + " 要素に " + std::string(name) +
                        " 属性がありません");
    }
    const std::string_view text(v);
    std::int64_t n = 0;
    const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
    const auto [ptr, ec] = std::from_chars(begin, text.data() + text.size(), n);
    if (ec != std::errc{} || ptr != text.data() + text.size() || text.empty())
        return tmxError(std::string(element) + " 要素の " + std::string(name) +
                        " 属性が整数ではありません");
    return n;
}

Status requireChipSize(Attributes attrs, std::string_view element) {
    for (std::string_view name : {"tilewidth", "tileheight"}) {
        auto v = intAttribute(attrs, element, name, std::nullopt);
        if (!v) return v.error();
        if (*v != ChipPixels)
            return unsupported("タイルの大きさが 32 x 32 でない " + std::string(element) + "（" +
                               std::string(name) + "=" + std::to_string(*v) + "）");
    }
    return Ok{};
}

struct Tileset {
    std::uint32_t firstGid = 1;
    std::string imagePath; // absolute
    std::int64_t tileCount = 0;
};

// Runs expat over a whole document and hands each element and text to the handler. A handler
// stops the run by setting `error`.
class XmlHandler {
  public:
    virtual ~XmlHandler() = default;
    virtual void start(std::string_view name, Attributes attrs) = 0;
    virtual void end() = 0;
    virtual void text(std::string_view) {}
    std::optional<Error> error;
};

struct XmlRun {
    XML_Parser parser;
    XmlHandler& handler;
    int depth = 0;

    void fail(Error e) {
        if (!handler.error) handler.error = std::move(e);
        XML_StopParser(parser, XML_FALSE);
    }
};

extern "C" {
static void onStart(void* data, const XML_Char* name, const XML_Char** attrs) {
    auto& run = *static_cast<XmlRun*>(data);
    if (run.handler.error) return;
    if (++run.depth > MaxTmxDepth)
        return run.fail(tmxError("要素の入れ子が深すぎます（上限は " + std::to_string(MaxTmxDepth) +
                                 " 段です）"));
    run.handler.start(name, attrs);
    if (run.handler.error) XML_StopParser(run.parser, XML_FALSE);
}

static void onEnd(void* data, const XML_Char*) {
    auto& run = *static_cast<XmlRun*>(data);
    if (run.handler.error) return;
    --run.depth;
    run.handler.end();
    if (run.handler.error) XML_StopParser(run.parser, XML_FALSE);
}

static void onText(void* data, const XML_Char* s, int len) {
    auto& run = *static_cast<XmlRun*>(data);
    if (!run.handler.error) run.handler.text(std::string_view(s, std::size_t(len)));
}

static void onEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int,
                                const XML_Char*, const XML_Char*, const XML_Char*,
                                const XML_Char*) {
    static_cast<XmlRun*>(data)->fail(unsupported("実体（ENTITY）を宣言した文書"));
}
}

Status runXml(std::string_view bytes, XmlHandler& handler) {
    if (bytes.size() > std::size_t(INT32_MAX)) return tmxError("ファイルが大きすぎます");
    std::unique_ptr<std::remove_pointer_t<XML_Parser>, void (*)(XML_Parser)> parser(
        XML_ParserCreate(nullptr), XML_ParserFree);
    if (!parser) throw std::bad_alloc();
    XmlRun run{parser.get(), handler};
    XML_SetUserData(parser.get(), &run);
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetEntityDeclHandler(parser.get(), onEntityDeclaration);
    XML_SetElementHandler(parser.get(), onStart, onEnd);
    XML_SetCharacterDataHandler(parser.get(), onText);
    const XML_Status status = XML_Parse(parser.get(), bytes.data(), int(bytes.size()), XML_TRUE);
    if (handler.error) return *handler.error;
    if (status != XML_STATUS_OK)
        return tmxError("XML を読めません（" +
                        std::to_string(XML_GetCurrentLineNumber(parser.get())) + "行目）：" +
                        XML_ErrorString(XML_GetErrorCode(parser.get())));
    return Ok{};
}

// A TMX map, or (rootName "tileset") an external tileset file. Elements are told apart by their
// parent's kind; everything not needed (properties, editor settings, tile properties) is
// skipped with its whole subtree.
class TmxHandler : public XmlHandler {
  public:
    TmxHandler(std::string_view rootName, std::string baseDir, std::vector<std::string>& warnings,
               std::string_view fileName = {})
        : rootName_(rootName), baseDir_(std::move(baseDir)), fileName_(fileName),
          warnings_(warnings) {}

    std::optional<Tileset> tileset;
    std::optional<TileIds> ids;
    std::int64_t width = 0;
    std::int64_t height = 0;

    void start(std::string_view name, Attributes attrs) override {
        const Kind parent = stack_.empty() ? Kind::None : stack_.back();
        Kind kind = Kind::Skip;
        switch (parent) {
        case Kind::None:
            if (name != rootName_) {
                fail(rootName_ == "map"
                         ? tmxError("map 要素がありません（TMX ファイルではありません）")
                         : tmxError("外部タイルセットに tileset 要素がありません：" +
                                    std::string(fileName_)));
                return;
            }
            if (rootName_ == "map") {
                kind = Kind::Map;
                check(startMap(attrs));
            } else {
                kind = Kind::Tileset;
                tileset.emplace();
                check(startTilesetBody(attrs));
            }
            break;
        case Kind::Map:
            if (name == "tileset") {
                if (tileset) return fail(unsupported("複数のタイルセット"));
                kind = startTileset(attrs);
            } else if (name == "layer") {
                if (ids) return fail(unsupported("複数のタイルレイヤー"));
                kind = Kind::Layer;
                check(startLayer(attrs));
            } else if (name == "objectgroup" || name == "imagelayer" || name == "group") {
                return fail(
                    unsupported("タイルレイヤー以外のレイヤー（" + std::string(name) + "）"));
            }
            break;
        case Kind::Tileset:
            if (name == "image" && !haveImage_) {
                haveImage_ = true;
                check(readImage(attrs));
            }
            break;
        case Kind::Layer:
            if (name == "data" && !layerIds_) {
                kind = Kind::Data;
                check(startData(attrs));
            }
            break;
        case Kind::Data:
            if (!encoding_.empty()) return fail(tmxError("レイヤーのデータに不明な要素があります"));
            if (name == "chunk")
                return fail(unsupported("チャンクに分かれたレイヤー（無限マップ）"));
            if (name != "tile") return fail(tmxError("レイヤーのデータに不明な要素があります"));
            check(readTile(attrs));
            break;
        case Kind::Skip:
            break;
        }
        stack_.push_back(kind);
    }

    void end() override {
        const Kind kind = stack_.back();
        stack_.pop_back();
        if (kind == Kind::Tileset && !haveImage_)
            fail(unsupported("1枚の画像からできていないタイルセット（画像の集まり）"));
        else if (kind == Kind::Data)
            check(finishData());
        else if (kind == Kind::Layer && !layerIds_)
            fail(tmxError("タイルレイヤーに data 要素がありません"));
        else if (kind == Kind::Layer)
            ids = std::move(layerIds_);
    }

    void text(std::string_view s) override {
        if (!stack_.empty() && stack_.back() == Kind::Data && !encoding_.empty()) text_.append(s);
    }

  private:
    enum class Kind { None, Map, Tileset, Layer, Data, Skip };

    void fail(Error e) {
        if (!error) error = std::move(e);
    }
    void check(const Status& s) {
        if (!s) fail(s.error());
    }

    Status startMap(Attributes attrs) {
        const std::string_view orientation = attributeText(attrs, "orientation");
        if (orientation != "orthogonal")
            return unsupported("向き（orientation）が " + std::string(orientation) +
                               " のマップ（orthogonal のみ）");
        if (auto size = requireChipSize(attrs, "map"); !size) return size.error();
        auto infinite = intAttribute(attrs, "map", "infinite", 0);
        if (!infinite) return infinite.error();
        if (*infinite != 0) return unsupported("無限マップ");
        auto w = intAttribute(attrs, "map", "width", std::nullopt);
        if (!w) return w.error();
        auto h = intAttribute(attrs, "map", "height", std::nullopt);
        if (!h) return h.error();
        if (*w < 1 || *w > MaxMapSide || *h < 1 || *h > MaxMapSide)
            return unsupported("大きさ " + std::to_string(*w) + " x " + std::to_string(*h) +
                               " のマップ（幅と高さは 1～1000）");
        width = *w;
        height = *h;
        return Ok{};
    }

    Kind startTileset(Attributes attrs) {
        auto first = intAttribute(attrs, "tileset", "firstgid", 1);
        if (!first) return fail(first.error()), Kind::Skip;
        if (*first < 1 || *first > 0x0FFFFFFF)
            return fail(tmxError("タイルセットの firstgid が範囲外です")), Kind::Skip;
        const std::string_view source = attributeText(attrs, "source");
        if (source.empty()) {
            tileset.emplace();
            tileset->firstGid = std::uint32_t(*first);
            check(startTilesetBody(attrs));
            return Kind::Tileset;
        }
        auto external = readExternalTileset(joinPath(baseDir_, source));
        if (!external) return fail(external.error()), Kind::Skip;
        tileset = std::move(*external);
        tileset->firstGid = std::uint32_t(*first);
        return Kind::Skip; // anything inside a tileset that names a file is not read
    }

    Result<Tileset> readExternalTileset(const std::string& path) {
        auto file = readInputFile(path);
        if (!file || file->missing)
            return tmxError("外部タイルセットを開けません：" + path + "（" +
                            (file ? std::string("ファイルがありません") : file.error().message) +
                            "）");
        TmxHandler inner("tileset", std::filesystem::path(path).parent_path().string(), warnings_,
                         path);
        if (auto parsed = runXml(file->bytes, inner); !parsed) return parsed.error();
        return std::move(*inner.tileset);
    }

    Status startTilesetBody(Attributes attrs) {
        if (auto size = requireChipSize(attrs, "tileset"); !size) return size.error();
        for (std::string_view name : {"spacing", "margin"}) {
            auto v = intAttribute(attrs, "tileset", name, 0);
            if (!v) return v.error();
            if (*v != 0)
                return unsupported("タイルの間隔や余白（" + std::string(name) +
                                   "）のあるタイルセット");
        }
        for (auto [name, slot] :
             {std::pair{"columns", &declaredColumns_}, std::pair{"tilecount", &declaredCount_}}) {
            if (!findAttribute(attrs, name)) continue;
            auto v = intAttribute(attrs, "tileset", name, std::nullopt);
            if (!v) return v.error();
            *slot = *v;
        }
        return Ok{};
    }

    // The <image> of a tileset: its absolute path, and its size, read from the file's header and
    // checked against the attributes.
    Status readImage(Attributes attrs) {
        Tileset& ts = *tileset;
        const std::string_view source = attributeText(attrs, "source");
        if (source.empty()) return tmxError("タイルセットの image 要素に source 属性がありません");
        ts.imagePath = joinPath(baseDir_, source);
        auto w = intAttribute(attrs, "image", "width", -1);
        if (!w) return w.error();
        auto h = intAttribute(attrs, "image", "height", -1);
        if (!h) return h.error();
        // Any real sheet is far smaller; the bound keeps the chip arithmetic from overflowing.
        constexpr std::int64_t MaxImageSide = 1 << 20;
        const auto badSize = [](std::int64_t iw, std::int64_t ih) {
            return tmxError("タイルセットの画像の大きさが正しくありません（" + std::to_string(iw) +
                            " x " + std::to_string(ih) + "）");
        };
        const auto outOfRange = [](std::int64_t v) { return v < 1 || v > MaxImageSide; };
        const bool declared = *w >= 0 && *h >= 0;
        if (declared && (outOfRange(*w) || outOfRange(*h))) return badSize(*w, *h);

        auto head = readInputHead(ts.imagePath, 64);
        if (!head)
            return tmxError("タイルセットの画像を読めません：" + ts.imagePath + "（" +
                            head.error().message + "）");
        struct {
            std::int64_t width, height;
        } size{*w, *h};
        const Result<ImageSize> read =
            head->missing ? Result<ImageSize>(Error{}) : readSheetImageSize(head->bytes);
        if (const ImageSize* real = read ? &*read : nullptr) {
            if (declared && (real->width != *w || real->height != *h))
                return tmxError("タイルセットの画像の大きさ " + std::to_string(real->width) +
                                " x " + std::to_string(real->height) + " が TMX に書かれた " +
                                std::to_string(*w) + " x " + std::to_string(*h) + " と違います：" +
                                ts.imagePath);
            size = {real->width, real->height};
        } else if (!declared) {
            return tmxError("タイルセットの画像の大きさがわかりません：" + ts.imagePath);
        } else {
            warnings_.push_back(std::string(head->missing
                                                ? "タイルセットの画像がないため"
                                                : "タイルセットの画像の形式がわからないため") +
                                "、TMX に書かれた大きさ " + std::to_string(*w) + " x " +
                                std::to_string(*h) + " をそのまま使いました：" + ts.imagePath);
        }
        if (outOfRange(size.width) || outOfRange(size.height))
            return badSize(size.width, size.height);
        const std::int64_t columns = size.width / ChipPixels;
        if (declaredColumns_ && *declaredColumns_ != columns)
            return unsupported("画像の幅と列数（columns）が合わないタイルセット");
        const std::int64_t capacity = columns * (size.height / ChipPixels);
        ts.tileCount = declaredCount_ ? *declaredCount_ : capacity;
        if (ts.tileCount < 0 || ts.tileCount > capacity)
            return tmxError("タイルセットのタイル数（tilecount）が画像の大きさと合いません");
        return Ok{};
    }

    Status startLayer(Attributes attrs) {
        auto w = intAttribute(attrs, "layer", "width", width);
        if (!w) return w.error();
        auto h = intAttribute(attrs, "layer", "height", height);
        if (!h) return h.error();
        if (*w != width || *h != height) return unsupported("マップと大きさの違うレイヤー");
        return Ok{};
    }

    std::size_t expected() const { return std::size_t(width) * std::size_t(height); }

    Status startData(Attributes attrs) {
        encoding_ = attributeText(attrs, "encoding");
        compression_ = attributeText(attrs, "compression");
        if (!encoding_.empty() && encoding_ != "csv" && encoding_ != "base64")
            return unsupported("レイヤーのエンコード " + encoding_);
        if (encoding_ == "csv" && !compression_.empty()) return unsupported("圧縮した CSV");
        text_.clear();
        xmlIds_.clear();
        if (encoding_.empty()) xmlIds_.reserve(expected());
        return Ok{};
    }

    Status readTile(Attributes attrs) {
        if (xmlIds_.size() == expected())
            return tmxError("レイヤーのタイルが幅 x 高さより多くあります");
        auto gid = intAttribute(attrs, "tile", "gid", 0);
        if (!gid) return gid.error();
        if (*gid < 0 || *gid > 0xFFFFFFFF) return tmxError("tile 要素の gid が範囲外です");
        xmlIds_.push_back(std::uint32_t(*gid));
        return Ok{};
    }

    Status finishData() {
        Result<TileIds> decoded = TileIds{};
        if (encoding_.empty()) {
            if (xmlIds_.size() != expected())
                return tmxError("レイヤーのタイルの数が幅 x 高さと合いません");
            decoded = std::move(xmlIds_);
        } else if (encoding_ == "csv") {
            decoded = decodeCsvTiles(text_, expected());
        } else {
            decoded = decodeBase64Tiles(text_, compression_, expected());
        }
        std::string().swap(text_);
        if (!decoded) return decoded.error();
        layerIds_ = std::move(*decoded);
        return Ok{};
    }

    std::string_view rootName_;
    std::string baseDir_;
    std::string_view fileName_;
    std::vector<std::string>& warnings_;
    std::vector<Kind> stack_; // at most MaxTmxDepth deep
    bool haveImage_ = false;
    std::optional<std::int64_t> declaredColumns_;
    std::optional<std::int64_t> declaredCount_;
    std::string encoding_;
    std::string compression_;
    std::string text_;
    TileIds xmlIds_;
    std::optional<TileIds> layerIds_;
};

// Global ids to chips: 0 is no tile (chip -1); any other id must belong to the tileset and carry
// no flip or rotation bits.
Result<TmxImport> toMap(const TileIds& ids, int width, int height, const Tileset& ts) {
    TmxImport out;
    out.map.sheetPath = ts.imagePath;
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

Result<TmxImport> parseTmx(std::string_view bytes, const std::string& baseDir) {
    std::vector<std::string> warnings;
    TmxHandler handler("map", baseDir, warnings);
    if (auto parsed = runXml(bytes, handler); !parsed) return parsed.error();
    if (!handler.tileset) return tmxError("タイルセットがありません");
    if (!handler.ids) return tmxError("タイルレイヤーがありません");
    auto out = toMap(*handler.ids, int(handler.width), int(handler.height), *handler.tileset);
    if (out) out->warnings = std::move(warnings);
    return out;
}

} // namespace tilora::cli
