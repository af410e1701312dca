#include "tiled/TiledImport.h"

#include "core/EditorState.h"
#include "core/Texts.h"
#include "tiled/TiledFile.h"
#include "tiled/TiledSheet.h"
#include "tiled/TmjReader.h"
#include "tiled/TmxReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <unordered_map>

namespace tilora::tiled {

namespace {

// Tiled's flags in the top bits of a global tile id, highest first.
constexpr const char* FlagNames[] = {
    I18N_NOOP("flipped left to right"), I18N_NOOP("flipped upside down"),
    I18N_NOOP("flipped on the diagonal"), I18N_NOOP("turned by 120 degrees (hexagonal)")};

// Columns of a sheet made of stacked tiles.
constexpr int StackSheetColumns = 16;

std::string quoted(const std::string& name) {
    return i18n("“%1”", {name});
}

class Importer {
  public:
    Importer(TiledMap map, const TiledImportOptions& options, std::vector<std::string> inputs)
        : map_(std::move(map)), options_(options) {
        out_.inputs = std::move(inputs);
        out_.notices = std::move(map_.notices);
    }

    Result<TiledImport> run() {
        if (map_.tilesets.empty()) return refuse(i18n("there is no tileset"));
        if (auto chosen = chooseLayers(); !chosen) return chosen.error();
        if (auto size = chooseScale(); !size) return size.error();
        if (auto used = findUsedTilesets(); !used) return used.error();
        if (auto loaded = loadTilesets(); !loaded) return loaded.error();
        if (auto ids = checkLocalIds(); !ids) return ids.error();
        out_.map.width = int(map_.width);
        out_.map.height = int(map_.height);
        out_.map.cells.assign(cellCount(), TransparentChip);
        Status built = flatten_ ? buildStacks() : plain_ ? usePlainSheet() : buildBlocks();
        if (!built) return built.error();
        return std::move(out_);
    }

  private:
    Error refuse(const std::string& what) const { return tiledRefusal(map_.format, what); }
    Error unsupported(const std::string& what) const { return tiledUnsupported(map_.format, what); }
    std::size_t cellCount() const { return std::size_t(map_.width) * std::size_t(map_.height); }
    std::string cellName(std::size_t k) const {
        return i18n("cell (%1, %2)", {k % std::size_t(map_.width), k / std::size_t(map_.width)});
    }

    Status chooseLayers() {
        std::vector<const TiledLayer*> tileLayers;
        for (const TiledLayer& layer : map_.layers) {
            if (layer.kind == LayerKind::Tile)
                tileLayers.push_back(&layer);
            else
                out_.notices.push_back(
                    layer.kind == LayerKind::Object
                        ? i18n("skipped the object layer %1", {quoted(layer.name)})
                        : i18n("skipped the image layer %1", {quoted(layer.name)}));
        }
        if (tileLayers.empty()) return refuse(i18n("there is no tile layer"));
        const auto names = [](const std::vector<const TiledLayer*>& layers) {
            std::string text;
            for (const TiledLayer* l : layers)
                text += quoted(l->name);
            return text;
        };
        bool flatten = options_.flatten;
        const std::string& layer = options_.layer;
        const TiledLayer* picked = nullptr;
        if (!flatten && layer.empty() && tileLayers.size() > 1 && options_.chooseLayer) {
            std::vector<std::string> choices;
            for (const TiledLayer* l : tileLayers)
                choices.push_back(l->name);
            const std::optional<int> chosen = options_.chooseLayer(choices);
            if (!chosen) return Error{}; // the user stopped the import
            if (*chosen == StackAllLayers)
                flatten = true;
            else
                picked = tileLayers.at(std::size_t(*chosen));
        }
        flatten_ = flatten;
        if (picked) {
            chosen_.push_back(picked);
        } else if (flatten) {
            for (const TiledLayer* l : tileLayers) {
                if (l->visible)
                    chosen_.push_back(l);
                else
                    out_.notices.push_back(
                        i18n("the hidden tile layer %1 was not stacked", {quoted(l->name)}));
            }
            if (chosen_.empty()) return refuse(i18n("there is no visible tile layer"));
        } else if (!layer.empty()) {
            const auto named = std::find_if(tileLayers.begin(), tileLayers.end(),
                                            [&](const TiledLayer* l) { return l->name == layer; });
            if (named == tileLayers.end())
                return refuse(i18n("there is no tile layer %1 (the tile layers are %2)",
                                   {quoted(layer), names(tileLayers)}));
            chosen_.push_back(*named);
        } else {
            chosen_.push_back(tileLayers.front());
            if (tileLayers.size() > 1)
                out_.notices.push_back(
                    options_.optionHints
                        ? i18n("read the tile layer %1 only (choose one of the other tile "
                               "layers, %2, with --layer, or stack them with --flatten)",
                               {quoted(tileLayers.front()->name),
                                names({tileLayers.begin() + 1, tileLayers.end()})})
                        : i18n("read the tile layer %1 only (the others are %2)",
                               {quoted(tileLayers.front()->name),
                                names({tileLayers.begin() + 1, tileLayers.end()})}));
        }
        for (const TiledLayer* l : chosen_)
            if (l->offset)
                out_.notices.push_back(
                    i18n("ignored the offset of the tile layer %1", {quoted(l->name)}));
        return Ok{};
    }

    Status chooseScale() {
        const std::int64_t w = map_.tileWidth;
        const std::int64_t h = map_.tileHeight;
        if (w != h) return unsupported(i18n("tiles that are not square (%1 x %2)", {w, h}));
        if (w < 1 || w > ChipPixels || ChipPixels % w != 0)
            return unsupported(i18n("a map of %1 x %2 tiles (only 32 x 32, or 1, 2, 4, 8 or 16 "
                                    "pixels, which a whole factor makes 32 x 32)",
                                    {w, h}));
        factor_ = ChipPixels / int(w);
        if (options_.scale != 0 && options_.scale != factor_)
            return refuse(
                i18n("--scale %1 does not make %2 x %3 tiles 32 x 32 (they need %4 times)",
                     {options_.scale, w, h, factor_}));
        if (factor_ > 1 && options_.scale == 0)
            out_.notices.push_back(
                options_.optionHints
                    ? i18n("enlarged the %1 x %2 tiles %3 times into 32 x 32 chips (--scale)",
                           {w, h, factor_})
                    : i18n("enlarged the %1 x %2 tiles %3 times into 32 x 32 chips",
                           {w, h, factor_}));
        return Ok{};
    }

    // The tileset of a global id: the last whose first id is not above it. Tiled lists them
    // rising.
    std::optional<std::size_t> tilesetOf(std::uint32_t gid) const {
        const auto after = std::upper_bound(
            map_.tilesets.begin(), map_.tilesets.end(), gid,
            [](std::uint32_t g, const TiledTileset& ts) { return g < ts.firstGid; });
        if (after == map_.tilesets.begin()) return std::nullopt;
        return std::size_t(after - map_.tilesets.begin() - 1);
    }

    std::string layerPrefix(const TiledLayer& layer) const {
        return chosen_.size() > 1 ? i18n("the tile layer %1's ", {quoted(layer.name)})
                                  : std::string();
    }

    Error notInTileset(const TiledLayer& layer, std::size_t k, std::uint32_t gid) const {
        return refuse(i18n("the tile ID %3 of %1%2 is in no tileset",
                           {layerPrefix(layer), cellName(k), gid}));
    }

    Status findUsedTilesets() {
        if (!std::is_sorted(map_.tilesets.begin(), map_.tilesets.end(),
                            [](const TiledTileset& a, const TiledTileset& b) {
                                return a.firstGid < b.firstGid;
                            }))
            return refuse(i18n("the tilesets are not in the order of their firstgid"));
        std::vector<bool> used(map_.tilesets.size());
        for (const TiledLayer* layer : chosen_) {
            for (std::size_t k = 0; k < layer->ids.size(); ++k) {
                const std::uint32_t gid = layer->ids[k];
                if (gid == 0) continue;
                // Flattened, a flipped tile is drawn flipped into its stack's chip; a layer taken
                // as it is has no way to say a chip is flipped.
                const std::uint32_t refused =
                    flatten_ ? (gid & RotatedHexagonal120) : (gid & FlagBits);
                if (refused) {
                    std::string flags;
                    for (int bit = 0; bit < 4; ++bit)
                        if (refused & (0x80000000u >> bit))
                            flags = flags.empty() ? i18n(FlagNames[bit])
                                                  : i18n("%1, %2", {flags, i18n(FlagNames[bit])});
                    const std::string message =
                        unsupported(i18n("flipped or turned tiles (%1%2: %3)",
                                         {layerPrefix(*layer), cellName(k), flags}))
                            .message;
                    return Error{flatten_ || !options_.optionHints
                                     ? message
                                     : i18n("%1 (--flatten makes chips of the flipped pictures)",
                                            {message})};
                }
                const auto ts = tilesetOf(gid & ~FlagBits);
                if (!ts) return notInTileset(*layer, k, gid);
                used[*ts] = true;
            }
        }
        for (std::size_t t = 0; t < used.size(); ++t)
            if (used[t]) used_.push_back(t);
        // A map of empty cells still names a sheet: the first tileset's.
        if (used_.empty()) used_.push_back(0);
        return Ok{};
    }

    Result<TiledTileset> readExternal(const TiledTileset& ref) {
        const auto cannotOpen = [this, &ref](const std::string& why) {
            return refuse(i18n("cannot open the external tileset: %1 (%2)", {ref.source, why}));
        };
        auto doc = readTiledFile(ref.source);
        if (!doc) {
            return cannotOpen(argumentOf(doc.error().message, "Cannot read the file: %1"));
        }
        out_.inputs.push_back(ref.source);
        const std::string folder = folderOf(ref.source);
        auto ts = doc->format == TiledFormat::Tmx ? parseTsx(doc->bytes, folder, ref.source)
                                                  : parseTsj(doc->bytes, folder, ref.source);
        if (!ts) return ts.error();
        ts->firstGid = ref.firstGid;
        return ts;
    }

    Status loadTilesets() {
        for (std::size_t t : used_) {
            if (!map_.tilesets[t].source.empty()) {
                auto external = readExternal(map_.tilesets[t]);
                if (!external) return external.error();
                map_.tilesets[t] = std::move(*external);
            }
        }
        const TiledTileset& first = map_.tilesets[used_.front()];
        plain_ = !flatten_ && used_.size() == 1 && factor_ == 1 && first.margin == 0 &&
                 first.spacing == 0;
        const ImageUse use = !plain_                ? ImageUse::TransparentPicture
                             : options_.decodeSheet ? ImageUse::Picture
                                                    : ImageUse::Name;
        for (std::size_t t : used_) {
            auto picture = loadTilesetPicture(map_.tilesets[t], map_.format, ChipPixels / factor_,
                                              use, out_.notices, out_.inputs);
            if (!picture) return picture.error();
            pictures_.emplace(t, std::move(*picture));
        }
        return Ok{};
    }

    Status checkLocalIds() const {
        for (const TiledLayer* layer : chosen_) {
            for (std::size_t k = 0; k < layer->ids.size(); ++k) {
                const std::uint32_t gid = layer->ids[k] & ~FlagBits;
                if (gid == 0) continue;
                const std::size_t t = *tilesetOf(gid);
                if (gid - map_.tilesets[t].firstGid >= pictures_.at(t).tileCount)
                    return notInTileset(*layer, k, gid);
            }
        }
        return Ok{};
    }

    Status usePlainSheet() {
        const std::size_t t = used_.front();
        TilesetPicture& picture = pictures_.at(t);
        out_.map.sheetPath = picture.imagePath;
        out_.sheet = std::move(picture.pixels);
        const std::uint32_t first = map_.tilesets[t].firstGid;
        const TileIds& ids = chosen_.front()->ids;
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (ids[k] == 0)
                ++out_.emptyCells;
            else
                out_.map.cells[k] = std::int32_t(ids[k] - first);
        }
        return Ok{};
    }

    Result<Bitmap> newSheet(std::int64_t columns, std::int64_t rows) const {
        if (columns * rows > MaxGeneratedChips || columns * ChipPixels > (1 << 24) - 1 ||
            rows * ChipPixels > (1 << 24) - 1)
            return refuse(i18n("the chip sheet would be too large (%1 chips; the limit is %2)",
                               {columns * rows, MaxGeneratedChips}));
        return Bitmap(int(columns * ChipPixels), int(rows * ChipPixels));
    }

    // Each tileset whole, one below the other, its columns kept: the palette shows each as in
    // Tiled, and chips keep Tiled's order.
    Status buildBlocks() {
        int columns = 0;
        std::int64_t rows = 0;
        std::vector<std::int64_t> firstRow;
        for (std::size_t t : used_) {
            const TilesetPicture& p = pictures_.at(t);
            columns = std::max(columns, p.columns);
            firstRow.push_back(rows);
            rows += (p.tileCount + p.columns - 1) / std::max(p.columns, 1);
        }
        auto sheet = newSheet(std::max(columns, 1), std::max<std::int64_t>(rows, 1));
        if (!sheet) return sheet.error();
        std::unordered_map<std::size_t, std::int64_t> rowOf;
        for (std::size_t u = 0; u < used_.size(); ++u) {
            const TilesetPicture& p = pictures_.at(used_[u]);
            rowOf[used_[u]] = firstRow[u];
            for (std::int64_t id = 0; id < p.tileCount; ++id)
                drawTile(*sheet, int(id % p.columns) * ChipPixels,
                         int(firstRow[u] + id / p.columns) * ChipPixels, p, id, factor_, 255);
        }
        const TileIds& ids = chosen_.front()->ids;
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (ids[k] == 0) {
                ++out_.emptyCells;
                continue;
            }
            const std::size_t t = *tilesetOf(ids[k]);
            const std::int64_t id = ids[k] - map_.tilesets[t].firstGid;
            const int tilesetColumns = pictures_.at(t).columns;
            out_.map.cells[k] =
                std::int32_t((rowOf[t] + id / tilesetColumns) * columns + id % tilesetColumns);
        }
        out_.sheet = std::move(*sheet);
        out_.sheetGenerated = true;
        if (used_.size() == 1) {
            const TiledTileset& ts = map_.tilesets[used_.front()];
            out_.sheetName =
                ts.name.empty() ? std::filesystem::path(ts.image->path).stem().string() : ts.name;
        } else {
            out_.notices.push_back(
                i18n("put %1 tilesets together into one chip sheet", {used_.size()}));
        }
        return Ok{};
    }

    // Every distinct stack of tiles (the ids of the chosen layers at one cell) becomes a chip,
    // numbered in the order the stacks first appear, row by row.
    Status buildStacks() {
        const std::size_t depth = chosen_.size();
        std::unordered_map<std::string, std::int32_t> chipOf;
        std::string key(depth * 4, '\0');
        for (std::size_t k = 0; k < cellCount(); ++k) {
            bool empty = true;
            for (std::size_t l = 0; l < depth; ++l) {
                const std::uint32_t gid = chosen_[l]->ids[k];
                empty = empty && gid == 0;
                std::memcpy(key.data() + l * 4, &gid, 4);
            }
            if (empty) {
                ++out_.emptyCells;
                continue;
            }
            // Past the limit the stacks are still counted, for the message.
            const auto [it, added] = chipOf.try_emplace(key, std::int32_t(chipOf.size()));
            out_.map.cells[k] = it->second;
        }
        const auto count = std::int64_t(chipOf.size());
        if (count > MaxGeneratedChips)
            return refuse(options_.optionHints
                              ? i18n("the stacked tiles make %1 combinations, more than the %2 a "
                                     "chip sheet holds (--layer reads one layer at a time)",
                                     {count, MaxGeneratedChips})
                              : i18n("the stacked tiles make %1 combinations, more than the %2 a "
                                     "chip sheet holds",
                                     {count, MaxGeneratedChips}));
        const std::int64_t chips = std::max<std::int64_t>(count, 1);
        auto sheet = newSheet(std::min<std::int64_t>(chips, StackSheetColumns),
                              (chips + StackSheetColumns - 1) / StackSheetColumns);
        if (!sheet) return sheet.error();
        for (const auto& [stack, chip] : chipOf) {
            const int x = int(chip % StackSheetColumns) * ChipPixels;
            const int y = int(chip / StackSheetColumns) * ChipPixels;
            for (std::size_t l = 0; l < depth; ++l) {
                std::uint32_t flagged = 0;
                std::memcpy(&flagged, stack.data() + l * 4, 4);
                const std::uint32_t gid = flagged & ~FlagBits;
                if (gid == 0) continue;
                const std::size_t t = *tilesetOf(gid);
                const int weight =
                    int(std::lround(std::clamp(chosen_[l]->opacity, 0.0, 1.0) * 255));
                drawTile(*sheet, x, y, pictures_.at(t), gid - map_.tilesets[t].firstGid, factor_,
                         weight, flagged & FlagBits);
            }
        }
        out_.sheet = std::move(*sheet);
        out_.sheetGenerated = true;
        if (depth > 1)
            out_.notices.push_back(i18n("stacked %1 tile layers and made chips of %2 combinations "
                                        "of tiles",
                                        {depth, count}));
        return Ok{};
    }

    TiledMap map_;
    const TiledImportOptions& options_;
    TiledImport out_;
    std::vector<const TiledLayer*> chosen_;
    bool flatten_ = false; // every visible tile layer stacked into one
    int factor_ = 1;
    std::vector<std::size_t> used_; // tilesets the chosen layers use, rising
    bool plain_ = false;
    std::unordered_map<std::size_t, TilesetPicture> pictures_;
};

} // namespace

Result<TiledImport> importTiledMap(const std::string& path, const TiledImportOptions& options) {
    auto doc = readTiledFile(path);
    if (!doc) return doc.error();
    const std::string folder = folderOf(path);
    auto map = doc->format == TiledFormat::Tmx ? parseTmx(doc->bytes, folder)
                                               : parseTmj(doc->bytes, folder);
    if (!map) return map.error();
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(path, ec).lexically_normal().string();
    return Importer(std::move(*map), options, {std::move(absolute)}).run();
}

} // namespace tilora::tiled
