#include "tiled/TmxReader.h"

#include "core/Texts.h"
#include "tiled/TiledFile.h"
#include "tiled/TmxLayerData.h"

#include <expat.h>

#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tilora::tiled {

namespace {

Error tmxError(const std::string& what) {
    return tiledRefusal(TiledFormat::Tmx, what);
}

Error unsupported(const std::string& what) {
    return tiledUnsupported(TiledFormat::Tmx, what);
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
        return tmxError(
            i18n("the %1 element has no %2 attribute", {std::string(element), std::string(name)}));
    }
    const std::string_view text(v);
    std::int64_t n = 0;
    const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
    const auto [ptr, ec] = std::from_chars(begin, text.data() + text.size(), n);
    if (ec != std::errc{} || ptr != text.data() + text.size() || text.empty())
        return tmxError(i18n("the %2 attribute of the %1 element is not a whole number",
                             {std::string(element), std::string(name)}));
    return n;
}

// A number attribute such as an opacity or an offset; `fallback` when absent.
Result<double> numberAttribute(Attributes attrs, std::string_view element, std::string_view name,
                               double fallback) {
    const char* v = findAttribute(attrs, name);
    if (!v) return fallback;
    const std::string_view text(v);
    double n = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc{} || ptr != text.data() + text.size() || text.empty())
        return tmxError(i18n("the %2 attribute of the %1 element is not a number",
                             {std::string(element), std::string(name)}));
    return n;
}

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
        return run.fail(tmxError(
            i18n("the elements are nested too deep (the limit is %1 levels)", {MaxTmxDepth})));
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
    static_cast<XmlRun*>(data)->fail(unsupported(i18n("a document that declares an ENTITY")));
}
}

Status runXml(std::string_view bytes, XmlHandler& handler) {
    if (bytes.size() > std::size_t(INT32_MAX)) return tmxError(i18n("the file is too large"));
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
        return tmxError(i18n("cannot read the XML (line %1): %2",
                             {XML_GetCurrentLineNumber(parser.get()),
                              XML_ErrorString(XML_GetErrorCode(parser.get()))}));
    return Ok{};
}

// The settings a group passes on to the layers inside it.
struct GroupSettings {
    std::string path; // "outer/inner/" or empty
    bool visible = true;
    double opacity = 1;
    bool offset = false;
};

// A TMX map, or (rootName "tileset") an external tileset file. Elements are told apart by their
// parent's kind; everything not needed (properties, editor settings, objects, tile properties)
// is skipped with its whole subtree.
class TmxHandler : public XmlHandler {
  public:
    TmxHandler(std::string_view rootName, std::string baseDir, std::string_view fileName = {})
        : rootName_(rootName), baseDir_(std::move(baseDir)), fileName_(fileName) {}

    TiledMap map;
    std::optional<TiledTileset> externalTileset; // the root of a .tsx

    void start(std::string_view name, Attributes attrs) override {
        const Kind parent = stack_.empty() ? Kind::None : stack_.back();
        Kind kind = Kind::Skip;
        switch (parent) {
        case Kind::None:
            if (name != rootName_) {
                fail(rootName_ == "map"
                         ? tmxError(i18n("there is no map element (not a TMX file)"))
                         : tmxError(i18n("the external tileset has no tileset element: %1",
                                         {std::string(fileName_)})));
                return;
            }
            if (rootName_ == "map") {
                kind = Kind::Group;
                groups_.emplace_back();
                check(startMap(attrs));
            } else {
                kind = Kind::Tileset;
                externalTileset.emplace();
                check(startTilesetBody(attrs));
            }
            break;
        case Kind::Group:
            if (name == "tileset" && groups_.size() == 1) {
                kind = startTileset(attrs);
            } else if (name == "layer") {
                kind = Kind::Layer;
                check(startLayer(LayerKind::Tile, attrs));
            } else if (name == "objectgroup" || name == "imagelayer") {
                check(
                    startLayer(name == "imagelayer" ? LayerKind::Image : LayerKind::Object, attrs));
            } else if (name == "group") {
                kind = Kind::Group;
                check(startGroup(attrs));
            }
            break;
        case Kind::Tileset:
            if (name == "image" && !tileset().image) {
                check(readImage(attrs));
            } else if (name == "tile") {
                kind = Kind::Tile;
            }
            break;
        case Kind::Tile:
            // A tile with an image of its own: the tileset is a collection of images.
            if (name == "image") collection_ = true;
            break;
        case Kind::Layer:
            if (name == "data" && !haveData_) {
                kind = Kind::Data;
                check(startData(attrs));
            }
            break;
        case Kind::Data:
            if (!encoding_.empty())
                return fail(tmxError(i18n("the layer's data holds an unknown element")));
            if (name == "chunk")
                return fail(unsupported(i18n("a layer in chunks (an infinite map)")));
            if (name != "tile")
                return fail(tmxError(i18n("the layer's data holds an unknown element")));
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
        if (kind == Kind::Tileset) {
            // Without an image of its own, a tileset is a collection of images.
            if (collection_) tileset().image.reset();
            collection_ = false;
        } else if (kind == Kind::Data) {
            check(finishData());
        } else if (kind == Kind::Layer && !haveData_) {
            fail(tmxError(i18n("a tile layer has no data element")));
        } else if (kind == Kind::Group) {
            groups_.pop_back();
        }
    }

    void text(std::string_view s) override {
        if (!stack_.empty() && stack_.back() == Kind::Data && !encoding_.empty()) text_.append(s);
    }

  private:
    enum class Kind { None, Group, Tileset, Tile, Layer, Data, Skip };

    // The tileset being read: the file's root, or the map's last.
    TiledTileset& tileset() { return externalTileset ? *externalTileset : map.tilesets.back(); }

    void fail(Error e) {
        if (!error) error = std::move(e);
    }
    void check(const Status& s) {
        if (!s) fail(s.error());
    }

    Status startMap(Attributes attrs) {
        map.format = TiledFormat::Tmx;
        auto infinite = intAttribute(attrs, "map", "infinite", 0);
        if (!infinite) return infinite.error();
        auto w = intAttribute(attrs, "map", "width", std::nullopt);
        if (!w) return w.error();
        auto h = intAttribute(attrs, "map", "height", std::nullopt);
        if (!h) return h.error();
        if (auto header = checkMapHeader(TiledFormat::Tmx, attributeText(attrs, "orientation"),
                                         *infinite != 0, *w, *h);
            !header)
            return header;
        for (auto [name, slot] :
             {std::pair{"tilewidth", &map.tileWidth}, std::pair{"tileheight", &map.tileHeight}}) {
            auto v = intAttribute(attrs, "map", name, std::nullopt);
            if (!v) return v.error();
            *slot = *v;
        }
        map.width = *w;
        map.height = *h;
        return Ok{};
    }

    Kind startTileset(Attributes attrs) {
        auto first = intAttribute(attrs, "tileset", "firstgid", 1);
        if (!first) return fail(first.error()), Kind::Skip;
        if (*first < 1 || *first > 0x0FFFFFFF)
            return fail(tmxError(i18n("a tileset's firstgid is out of range"))), Kind::Skip;
        TiledTileset& ts = map.tilesets.emplace_back();
        ts.firstGid = std::uint32_t(*first);
        const std::string_view source = attributeText(attrs, "source");
        if (!source.empty()) {
            ts.source = joinPath(baseDir_, source);
            return Kind::Skip; // anything inside a tileset that names a file is not read
        }
        check(startTilesetBody(attrs));
        return Kind::Tileset;
    }

    Status startTilesetBody(Attributes attrs) {
        TiledTileset& ts = tileset();
        ts.name = attributeText(attrs, "name");
        for (auto [name, slot] :
             {std::pair{"tilewidth", &ts.tileWidth}, std::pair{"tileheight", &ts.tileHeight}}) {
            auto v = intAttribute(attrs, "tileset", name, std::nullopt);
            if (!v) return v.error();
            *slot = *v;
        }
        for (auto [name, slot] :
             {std::pair{"spacing", &ts.spacing}, std::pair{"margin", &ts.margin}}) {
            auto v = intAttribute(attrs, "tileset", name, 0);
            if (!v) return v.error();
            *slot = *v;
        }
        for (auto [name, slot] :
             {std::pair{"columns", &ts.columns}, std::pair{"tilecount", &ts.tileCount}}) {
            if (!findAttribute(attrs, name)) continue;
            auto v = intAttribute(attrs, "tileset", name, std::nullopt);
            if (!v) return v.error();
            *slot = *v;
        }
        return Ok{};
    }

    Status readImage(Attributes attrs) {
        const std::string_view source = attributeText(attrs, "source");
        if (source.empty())
            return tmxError(i18n("a tileset's image element has no source attribute"));
        TiledImage image;
        image.path = joinPath(baseDir_, source);
        auto w = intAttribute(attrs, "image", "width", -1);
        if (!w) return w.error();
        auto h = intAttribute(attrs, "image", "height", -1);
        if (!h) return h.error();
        image.width = *w;
        image.height = *h;
        if (const char* trans = findAttribute(attrs, "trans"); trans && *trans) {
            image.transparent = parseTiledColour(trans);
            if (!image.transparent)
                return tmxError(i18n("the trans attribute of an image element is not a colour: %1",
                                     {std::string(trans)}));
        }
        tileset().image = std::move(image);
        return Ok{};
    }

    Status startGroup(Attributes attrs) {
        auto settings = layerSettings("group", attrs);
        if (!settings) return settings.error();
        groups_.push_back(*settings);
        groups_.back().path += "/";
        return Ok{};
    }

    // A layer's or group's name, visibility, opacity and offset, with its groups' folded in.
    Result<GroupSettings> layerSettings(std::string_view element, Attributes attrs) {
        const GroupSettings& outer = groups_.back();
        GroupSettings s = outer;
        s.path += attributeText(attrs, "name");
        auto visible = intAttribute(attrs, element, "visible", 1);
        if (!visible) return visible.error();
        s.visible = outer.visible && *visible != 0;
        auto opacity = numberAttribute(attrs, element, "opacity", 1);
        if (!opacity) return opacity.error();
        s.opacity = outer.opacity * *opacity;
        for (std::string_view name : {"offsetx", "offsety"}) {
            auto v = numberAttribute(attrs, element, name, 0);
            if (!v) return v.error();
            s.offset = s.offset || *v != 0;
        }
        return s;
    }

    Status startLayer(LayerKind layerKind, Attributes attrs) {
        const char* element = layerKind == LayerKind::Tile     ? "layer"
                              : layerKind == LayerKind::Object ? "objectgroup"
                                                               : "imagelayer";
        auto settings = layerSettings(element, attrs);
        if (!settings) return settings.error();
        TiledLayer& layer = map.layers.emplace_back();
        layer.kind = layerKind;
        layer.name = settings->path;
        layer.visible = settings->visible;
        layer.opacity = settings->opacity;
        layer.offset = settings->offset;
        if (layerKind != LayerKind::Tile) return Ok{};
        auto w = intAttribute(attrs, "layer", "width", map.width);
        if (!w) return w.error();
        auto h = intAttribute(attrs, "layer", "height", map.height);
        if (!h) return h.error();
        if (*w != map.width || *h != map.height)
            return unsupported(i18n("a layer whose size differs from the map's"));
        haveData_ = false;
        return Ok{};
    }

    std::size_t expected() const { return std::size_t(map.width) * std::size_t(map.height); }

    Status startData(Attributes attrs) {
        haveData_ = true;
        encoding_ = attributeText(attrs, "encoding");
        compression_ = attributeText(attrs, "compression");
        if (!encoding_.empty() && encoding_ != "csv" && encoding_ != "base64")
            return unsupported(i18n("the layer encoding %1", {encoding_}));
        if (encoding_ == "csv" && !compression_.empty()) return unsupported(i18n("compressed CSV"));
        text_.clear();
        xmlIds_.clear();
        if (encoding_.empty()) xmlIds_.reserve(expected());
        return Ok{};
    }

    Status readTile(Attributes attrs) {
        if (xmlIds_.size() == expected())
            return tmxError(i18n("the layer has more tiles than width x height"));
        auto gid = intAttribute(attrs, "tile", "gid", 0);
        if (!gid) return gid.error();
        if (*gid < 0 || *gid > 0xFFFFFFFF)
            return tmxError(i18n("the gid of a tile element is out of range"));
        xmlIds_.push_back(std::uint32_t(*gid));
        return Ok{};
    }

    Status finishData() {
        Result<TileIds> decoded = TileIds{};
        if (encoding_.empty()) {
            if (xmlIds_.size() != expected())
                return tmxError(
                    i18n("the number of the layer's tiles does not match width x height"));
            decoded = std::move(xmlIds_);
            xmlIds_ = {};
        } else if (encoding_ == "csv") {
            decoded = decodeCsvTiles(text_, expected());
        } else {
            decoded = decodeBase64Tiles(text_, compression_, expected());
        }
        std::string().swap(text_);
        if (!decoded) return tmxError(decoded.error().message);
        map.layers.back().ids = std::move(*decoded);
        return Ok{};
    }

    std::string_view rootName_;
    std::string baseDir_;
    std::string_view fileName_;
    std::vector<Kind> stack_;           // at most MaxTmxDepth deep
    std::vector<GroupSettings> groups_; // the map, then each group around the element
    bool collection_ = false;
    bool haveData_ = false;
    std::string encoding_;
    std::string compression_;
    std::string text_;
    TileIds xmlIds_;
};

} // namespace

Result<TiledMap> parseTmx(std::string_view bytes, const std::string& baseDir) {
    TmxHandler handler("map", baseDir);
    if (auto parsed = runXml(bytes, handler); !parsed) return parsed.error();
    return std::move(handler.map);
}

Result<TiledTileset> parseTsx(std::string_view bytes, const std::string& baseDir,
                              const std::string& fileName) {
    TmxHandler handler("tileset", baseDir, fileName);
    if (auto parsed = runXml(bytes, handler); !parsed) return parsed.error();
    return std::move(*handler.externalTileset);
}

} // namespace tilora::tiled
