#include "tiled/TmjReader.h"

#include "core/Texts.h"
#include "tiled/TiledFile.h"
#include "tiled/TmxLayerData.h"
#include "tiled/TmxReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace tilora::tiled {

namespace {

Error jsonError(const std::string& what) {
    return tiledRefusal(TiledFormat::Json, what);
}

Error unsupported(const std::string& what) {
    return tiledUnsupported(TiledFormat::Json, what);
}

// Values kept of the document, at most this many (the tile ids of a layer count as one).
constexpr std::size_t MaxJsonValues = std::size_t(1) << 20;

// The members the import reads, wherever they stand; any other member is passed over.
constexpr std::string_view KeptMembers[] = {
    "columns", "compression", "data",       "encoding", "firstgid",    "height",
    "image",   "imageheight", "imagewidth", "infinite", "layers",      "margin",
    "name",    "offsetx",     "offsety",    "opacity",  "orientation", "source",
    "spacing", "tilecount",   "tileheight", "tilesets", "tilewidth",   "transparentcolor",
    "type",    "visible",     "width"};

// A JSON value as far as it was kept. An array of whole numbers from 0 to 2^32 - 1 (tile data)
// is held packed in `ids` instead of `items`.
struct Json {
    enum class Kind : std::uint8_t { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    bool whole = false; // a number with no fraction, in 64-bit range
    std::int64_t integer = 0;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::string> keys; // an object's member names; their values are the items
    TileIds ids;

    const Json* find(std::string_view key) const {
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (keys[k] == key) return &items[k];
        return nullptr;
    }
};

using nlohmann::json;

// Builds the kept part of the document from the parser's events.
class Builder : public nlohmann::json_sax<json> {
  public:
    explicit Builder(std::string_view bytes) : bytes_(bytes) {}
    Json root;
    std::optional<Error> error;

    bool null() override { return scalar(Json{}); }
    bool boolean(bool v) override {
        Json j;
        j.kind = Json::Kind::Bool;
        j.boolean = v;
        return scalar(std::move(j));
    }
    bool number_integer(number_integer_t v) override { return number(double(v), v, true); }
    bool number_unsigned(number_unsigned_t v) override {
        if (!skipping() && v <= 0xFFFFFFFFu && !stack_.empty() &&
            stack_.back()->kind == Json::Kind::Array && stack_.back()->items.empty()) {
            stack_.back()->ids.push_back(std::uint32_t(v));
            return true;
        }
        return number(double(v), std::int64_t(v), v <= std::uint64_t(INT64_MAX));
    }
    bool number_float(number_float_t v, const string_t&) override {
        const bool whole = std::isfinite(v) && std::floor(v) == v && std::fabs(v) < 9e18;
        return number(v, whole ? std::int64_t(v) : 0, whole);
    }
    bool string(string_t& v) override {
        Json j;
        j.kind = Json::Kind::String;
        j.text = std::move(v);
        return scalar(std::move(j));
    }
    bool binary(binary_t&) override { return scalar(Json{}); }
    bool start_object(std::size_t) override { return open(Json::Kind::Object); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(Json::Kind::Array); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override {
        if (skipping()) return true;
        if (std::find(std::begin(KeptMembers), std::end(KeptMembers), name) ==
            std::end(KeptMembers)) {
            skipNext_ = true;
            return true;
        }
        stack_.back()->keys.push_back(std::move(name));
        stack_.back()->items.emplace_back();
        return true;
    }
    bool parse_error(std::size_t position, const std::string& lastToken,
                     const nlohmann::detail::exception&) override {
        const auto line =
            1 + std::count(bytes_.begin(),
                           bytes_.begin() + std::ptrdiff_t(std::min(position, bytes_.size())),
                           '\n');
        std::string near = lastToken.substr(0, 40);
        // Cut at a character's start, so the message stays UTF-8.
        if (near.size() < lastToken.size())
            while (!near.empty() &&
                   (static_cast<unsigned char>(lastToken[near.size()]) & 0xC0) == 0x80)
                near.pop_back();
        error = jsonError(i18n("the JSON is not written correctly (line %1, near “%2”)",
                               {std::int64_t(line), near}));
        return false;
    }

  private:
    bool skipping() const { return skipDepth_ > 0 || skipNext_; }

    bool fail(const std::string& what) {
        if (!error) error = jsonError(what);
        return false;
    }

    // Where the next value goes: the root, the next item of an array, or the member just named.
    Json* slot() {
        if (stack_.empty()) return &root;
        Json& top = *stack_.back();
        if (top.kind == Json::Kind::Object) return &top.items.back();
        // A packed array that meets anything but a tile id stores its ids as items after all.
        if (!top.ids.empty()) {
            for (std::uint32_t id : top.ids) {
                Json& n = top.items.emplace_back();
                n.kind = Json::Kind::Number;
                n.whole = true;
                n.integer = id;
                n.number = id;
            }
            top.ids.clear();
            top.ids.shrink_to_fit();
        }
        return &top.items.emplace_back();
    }

    bool counted() {
        if (++values_ > MaxJsonValues)
            return fail(i18n("too many values (the limit is %1)", {MaxJsonValues}));
        return true;
    }

    bool scalar(Json value) {
        if (skipping()) {
            skipNext_ = false;
            return true;
        }
        if (!counted()) return false;
        *slot() = std::move(value);
        return true;
    }

    bool number(double v, std::int64_t whole, bool isWhole) {
        Json j;
        j.kind = Json::Kind::Number;
        j.number = v;
        j.whole = isWhole;
        j.integer = isWhole ? whole : 0;
        return scalar(std::move(j));
    }

    bool open(Json::Kind kind) {
        if (++depth_ > MaxTmxDepth)
            return fail(i18n("nested too deep (the limit is %1 levels)", {MaxTmxDepth}));
        if (skipping()) {
            skipNext_ = false;
            ++skipDepth_;
            return true;
        }
        if (!counted()) return false;
        Json* j = slot();
        j->kind = kind;
        stack_.push_back(j);
        return true;
    }

    bool close() {
        --depth_;
        if (skipDepth_ > 0)
            --skipDepth_;
        else
            stack_.pop_back();
        return true;
    }

    std::string_view bytes_;
    std::vector<Json*> stack_; // open containers; each lives in its parent, which cannot grow
    int depth_ = 0;
    int skipDepth_ = 0;     // containers open inside a member passed over
    bool skipNext_ = false; // the next value belongs to a member passed over
    std::size_t values_ = 0;
};

Result<Json> parseJson(std::string_view bytes) {
    Builder builder(bytes);
    const bool ok = json::sax_parse(bytes.begin(), bytes.end(), &builder);
    if (builder.error) return *builder.error;
    if (!ok) return jsonError(i18n("the JSON is not written correctly"));
    return std::move(builder.root);
}

const char* kindName(Json::Kind kind) {
    switch (kind) {
    case Json::Kind::Bool:
        return I18N_NOOP("true or false");
    case Json::Kind::Number:
        return I18N_NOOP("a number");
    case Json::Kind::String:
        return I18N_NOOP("a string");
    case Json::Kind::Array:
        return I18N_NOOP("an array");
    case Json::Kind::Object:
        return I18N_NOOP("an object");
    case Json::Kind::Null:
        break;
    }
    return "null";
}

// Typed members of an object; `where` names the object in messages ("map", "layers[2]").
class Members {
  public:
    Members(const Json& object, std::string where) : object_(object), where_(std::move(where)) {}

    const std::string& where() const { return where_; }

    Result<std::int64_t> integer(std::string_view key, std::optional<std::int64_t> fallback) const {
        const Json* v = object_.find(key);
        if (!v) {
            if (fallback) return *fallback;
            return missing(key);
        }
        if (v->kind != Json::Kind::Number || !v->whole)
            return wrongType(key, I18N_NOOP("a whole number"));
        return v->integer;
    }
    Result<double> number(std::string_view key, double fallback) const {
        const Json* v = object_.find(key);
        if (!v) return fallback;
        if (v->kind != Json::Kind::Number) return wrongType(key, I18N_NOOP("a number"));
        return v->number;
    }
    Result<bool> boolean(std::string_view key, bool fallback) const {
        const Json* v = object_.find(key);
        if (!v) return fallback;
        if (v->kind != Json::Kind::Bool) return wrongType(key, I18N_NOOP("true or false"));
        return v->boolean;
    }
    Result<std::string> text(std::string_view key, std::optional<std::string> fallback) const {
        const Json* v = object_.find(key);
        if (!v) {
            if (fallback) return *fallback;
            return missing(key);
        }
        if (v->kind != Json::Kind::String) return wrongType(key, I18N_NOOP("a string"));
        return v->text;
    }
    // An array member; an empty one when absent.
    Result<const Json*> array(std::string_view key) const {
        static const Json empty = [] {
            Json j;
            j.kind = Json::Kind::Array;
            return j;
        }();
        const Json* v = object_.find(key);
        if (!v) return &empty;
        if (v->kind != Json::Kind::Array) return wrongType(key, I18N_NOOP("an array"));
        return v;
    }
    const Json* raw(std::string_view key) const { return object_.find(key); }

  private:
    Error missing(std::string_view key) const {
        return jsonError(i18n("%1 has no %2", {where_, std::string(key)}));
    }
    Error wrongType(std::string_view key, const char* wanted) const {
        return jsonError(
            i18n("the %2 of %1 is not %3 (%4)", {where_, std::string(key), i18n(wanted),
                                                 i18n(kindName(object_.find(key)->kind))}));
    }
    const Json& object_;
    std::string where_;
};

Status readTilesetBody(const Members& m, const std::string& baseDir, TiledTileset& ts) {
    auto name = m.text("name", "");
    if (!name) return name.error();
    ts.name = std::move(*name);
    for (auto [key, slot] :
         {std::pair{"tilewidth", &ts.tileWidth}, std::pair{"tileheight", &ts.tileHeight}}) {
        auto v = m.integer(key, std::nullopt);
        if (!v) return v.error();
        *slot = *v;
    }
    for (auto [key, slot] : {std::pair{"spacing", &ts.spacing}, std::pair{"margin", &ts.margin}}) {
        auto v = m.integer(key, 0);
        if (!v) return v.error();
        *slot = *v;
    }
    for (auto [key, slot] :
         {std::pair{"columns", &ts.columns}, std::pair{"tilecount", &ts.tileCount}}) {
        if (!m.raw(key)) continue;
        auto v = m.integer(key, std::nullopt);
        if (!v) return v.error();
        *slot = *v;
    }
    auto image = m.text("image", "");
    if (!image) return image.error();
    if (image->empty()) return Ok{}; // a collection of images: each tile names its own
    TiledImage& im = ts.image.emplace();
    im.path = joinPath(baseDir, *image);
    auto w = m.integer("imagewidth", -1);
    if (!w) return w.error();
    auto h = m.integer("imageheight", -1);
    if (!h) return h.error();
    im.width = *w;
    im.height = *h;
    auto trans = m.text("transparentcolor", "");
    if (!trans) return trans.error();
    if (!trans->empty()) {
        im.transparent = parseTiledColour(*trans);
        if (!im.transparent)
            return jsonError(
                i18n("the transparentcolor of %1 is not a colour: %2", {m.where(), *trans}));
    }
    return Ok{};
}

struct GroupSettings {
    std::string path; // "outer/inner/" or empty
    bool visible = true;
    double opacity = 1;
    bool offset = false;
};

class LayerReader {
  public:
    explicit LayerReader(TiledMap& map) : map_(map) {}

    Status read(const Json& layers, const GroupSettings& group, const std::string& where) {
        for (std::size_t k = 0; k < layers.items.size(); ++k) {
            const Json& item = layers.items[k];
            const std::string here = where + "[" + std::to_string(k) + "]";
            if (item.kind != Json::Kind::Object)
                return jsonError(i18n("%1 is not an object", {here}));
            if (auto s = readLayer(Members(item, here), group); !s) return s;
        }
        if (!layers.ids.empty()) return jsonError(i18n("%1 is not an object", {where}));
        return Ok{};
    }

  private:
    Status readLayer(const Members& m, const GroupSettings& outer) {
        auto type = m.text("type", std::nullopt);
        if (!type) return type.error();
        auto name = m.text("name", "");
        if (!name) return name.error();
        auto visible = m.boolean("visible", true);
        if (!visible) return visible.error();
        auto opacity = m.number("opacity", 1);
        if (!opacity) return opacity.error();
        GroupSettings s = outer;
        s.path += *name;
        s.visible = outer.visible && *visible;
        s.opacity = outer.opacity * *opacity;
        for (std::string_view key : {"offsetx", "offsety"}) {
            auto v = m.number(key, 0);
            if (!v) return v.error();
            s.offset = s.offset || *v != 0;
        }
        if (*type == "group") {
            auto inner = m.array("layers");
            if (!inner) return inner.error();
            s.path += "/";
            return read(**inner, s, m.where() + ".layers");
        }
        LayerKind kind;
        if (*type == "tilelayer")
            kind = LayerKind::Tile;
        else if (*type == "objectgroup")
            kind = LayerKind::Object;
        else if (*type == "imagelayer")
            kind = LayerKind::Image;
        else
            return unsupported(i18n("a layer of the type %1", {*type}));
        TiledLayer& layer = map_.layers.emplace_back();
        layer.kind = kind;
        layer.name = s.path;
        layer.visible = s.visible;
        layer.opacity = s.opacity;
        layer.offset = s.offset;
        if (kind != LayerKind::Tile) return Ok{};
        for (auto [key, size] :
             {std::pair{"width", map_.width}, std::pair{"height", map_.height}}) {
            auto v = m.integer(key, size);
            if (!v) return v.error();
            if (*v != size) return unsupported(i18n("a layer whose size differs from the map's"));
        }
        auto ids = readData(m);
        if (!ids) return ids.error();
        layer.ids = std::move(*ids);
        return Ok{};
    }

    Result<TileIds> readData(const Members& m) const {
        const std::size_t expected = std::size_t(map_.width) * std::size_t(map_.height);
        const Json* data = m.raw("data");
        if (!data) return jsonError(i18n("%1 has no data", {m.where()}));
        auto encoding = m.text("encoding", "csv");
        if (!encoding) return encoding.error();
        auto compression = m.text("compression", "");
        if (!compression) return compression.error();
        if (*encoding == "base64") {
            if (data->kind != Json::Kind::String)
                return jsonError(i18n("the data of %1 is not a string", {m.where()}));
            auto ids = decodeBase64Tiles(data->text, *compression, expected);
            if (!ids) return jsonError(ids.error().message);
            return ids;
        }
        if (*encoding != "csv") return unsupported(i18n("the layer encoding %1", {*encoding}));
        if (data->kind != Json::Kind::Array || !data->items.empty())
            return jsonError(
                i18n("the data of %1 is not an array of whole numbers from 0 up", {m.where()}));
        if (data->ids.size() != expected)
            return jsonError(i18n("the layer has %1 tiles (there should be width x height = %2)",
                                  {data->ids.size(), expected}));
        return data->ids;
    }

    TiledMap& map_;
};

} // namespace

Result<TiledMap> parseTmj(std::string_view bytes, const std::string& baseDir) {
    auto doc = parseJson(bytes);
    if (!doc) return doc.error();
    if (doc->kind != Json::Kind::Object) return jsonError(i18n("the map is not an object"));
    const Members m(*doc, "map");
    auto type = m.text("type", "map");
    if (!type) return type.error();
    if (*type != "map") return jsonError(i18n("not a Tiled map (its type is %1)", {*type}));
    TiledMap map;
    map.format = TiledFormat::Json;
    auto orientation = m.text("orientation", std::nullopt);
    if (!orientation) return orientation.error();
    auto infinite = m.boolean("infinite", false);
    if (!infinite) return infinite.error();
    auto width = m.integer("width", std::nullopt);
    if (!width) return width.error();
    auto height = m.integer("height", std::nullopt);
    if (!height) return height.error();
    if (auto header = checkMapHeader(TiledFormat::Json, *orientation, *infinite, *width, *height);
        !header)
        return header.error();
    map.width = *width;
    map.height = *height;
    for (auto [key, slot] :
         {std::pair{"tilewidth", &map.tileWidth}, std::pair{"tileheight", &map.tileHeight}}) {
        auto v = m.integer(key, std::nullopt);
        if (!v) return v.error();
        *slot = *v;
    }

    auto tilesets = m.array("tilesets");
    if (!tilesets) return tilesets.error();
    for (std::size_t k = 0; k < (*tilesets)->items.size(); ++k) {
        const Json& item = (*tilesets)->items[k];
        const std::string where = "tilesets[" + std::to_string(k) + "]";
        if (item.kind != Json::Kind::Object) return jsonError(i18n("%1 is not an object", {where}));
        const Members t(item, where);
        auto first = t.integer("firstgid", 1);
        if (!first) return first.error();
        if (*first < 1 || *first > 0x0FFFFFFF)
            return jsonError(i18n("a tileset's firstgid is out of range"));
        TiledTileset& ts = map.tilesets.emplace_back();
        ts.firstGid = std::uint32_t(*first);
        auto source = t.text("source", "");
        if (!source) return source.error();
        if (!source->empty()) {
            ts.source = joinPath(baseDir, *source);
            continue;
        }
        if (auto body = readTilesetBody(t, baseDir, ts); !body) return body.error();
    }

    auto layers = m.array("layers");
    if (!layers) return layers.error();
    LayerReader reader(map);
    if (auto read = reader.read(**layers, GroupSettings{}, "layers"); !read) return read.error();
    return map;
}

Result<TiledTileset> parseTsj(std::string_view bytes, const std::string& baseDir,
                              const std::string& fileName) {
    auto doc = parseJson(bytes);
    if (!doc) return doc.error();
    if (doc->kind != Json::Kind::Object)
        return jsonError(i18n("the external tileset is not an object: %1", {fileName}));
    const Members m(*doc, fileName);
    auto type = m.text("type", "tileset");
    if (!type) return type.error();
    if (*type != "tileset")
        return jsonError(i18n("not an external tileset (its type is %1): %2", {*type, fileName}));
    TiledTileset ts;
    if (auto body = readTilesetBody(m, baseDir, ts); !body) return body.error();
    return ts;
}

} // namespace tilora::tiled
