#include "tiled/TiledImport.h"

#include "core/EditorState.h"
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
constexpr const char* FlagNames[] = {"左右反転", "上下反転", "対角反転", "六角形の120度回転"};

// Columns of a sheet made of stacked tiles.
constexpr int StackSheetColumns = 16;

std::string quoted(const std::string& name) {
    return "「" + name + "」";
}

class Importer {
  public:
    Importer(TiledMap map, const TiledImportOptions& options, std::vector<std::string> inputs)
        : map_(std::move(map)), options_(options), lead_(refusalLead(map_.format)) {
        out_.inputs = std::move(inputs);
        out_.notices = std::move(map_.notices);
    }

    Result<TiledImport> run() {
        if (map_.tilesets.empty()) return refuse("タイルセットがありません");
        if (auto chosen = chooseLayers(); !chosen) return chosen.error();
        if (auto size = chooseScale(); !size) return size.error();
        if (auto used = findUsedTilesets(); !used) return used.error();
        if (auto loaded = loadTilesets(); !loaded) return loaded.error();
        if (auto ids = checkLocalIds(); !ids) return ids.error();
        out_.map.width = int(map_.width);
        out_.map.height = int(map_.height);
        out_.map.cells.assign(cellCount(), TransparentChip);
        Status built = options_.flatten ? buildStacks() : plain_ ? usePlainSheet() : buildBlocks();
        if (!built) return built.error();
        return std::move(out_);
    }

  private:
    Error refuse(const std::string& what) const { return Error{lead_ + what}; }
    Error unsupported(const std::string& what) const {
        return refuse(what + "には対応していません");
    }
    std::size_t cellCount() const { return std::size_t(map_.width) * std::size_t(map_.height); }
    std::string cellName(std::size_t k) const {
        return "セル (" + std::to_string(k % std::size_t(map_.width)) + ", " +
               std::to_string(k / std::size_t(map_.width)) + ")";
    }

    Status chooseLayers() {
        std::vector<const TiledLayer*> tileLayers;
        for (const TiledLayer& layer : map_.layers) {
            if (layer.kind == LayerKind::Tile)
                tileLayers.push_back(&layer);
            else
                out_.notices.push_back(std::string(layer.kind == LayerKind::Object
                                                       ? "オブジェクトレイヤー"
                                                       : "画像レイヤー") +
                                       quoted(layer.name) + "を読み飛ばしました");
        }
        if (tileLayers.empty()) return refuse("タイルレイヤーがありません");
        const auto names = [](const std::vector<const TiledLayer*>& layers) {
            std::string text;
            for (const TiledLayer* l : layers)
                text += quoted(l->name);
            return text;
        };
        if (options_.flatten) {
            for (const TiledLayer* l : tileLayers) {
                if (l->visible)
                    chosen_.push_back(l);
                else
                    out_.notices.push_back("表示されていないタイルレイヤー" + quoted(l->name) +
                                           "は重ねませんでした");
            }
            if (chosen_.empty()) return refuse("表示されているタイルレイヤーがありません");
        } else if (!options_.layer.empty()) {
            const auto named =
                std::find_if(tileLayers.begin(), tileLayers.end(),
                             [&](const TiledLayer* l) { return l->name == options_.layer; });
            if (named == tileLayers.end())
                return refuse("タイルレイヤー" + quoted(options_.layer) +
                              "がありません（タイルレイヤーは " + names(tileLayers) + "）");
            chosen_.push_back(*named);
        } else {
            chosen_.push_back(tileLayers.front());
            if (tileLayers.size() > 1)
                out_.notices.push_back("タイルレイヤー" + quoted(tileLayers.front()->name) +
                                       "だけを読み込みました（ほかのタイルレイヤー " +
                                       names({tileLayers.begin() + 1, tileLayers.end()}) +
                                       " は --layer で選ぶか、--flatten で重ねて読み込めます）");
        }
        for (const TiledLayer* l : chosen_)
            if (l->offset)
                out_.notices.push_back("タイルレイヤー" + quoted(l->name) +
                                       "のずれ（offset）は無視しました");
        return Ok{};
    }

    Status chooseScale() {
        const std::int64_t w = map_.tileWidth;
        const std::int64_t h = map_.tileHeight;
        const std::string size = std::to_string(w) + " x " + std::to_string(h);
        if (w != h) return unsupported("正方形でないタイル（" + size + "）");
        if (w < 1 || w > ChipPixels || ChipPixels % w != 0)
            return unsupported("タイルの大きさが " + size +
                               " のマップ（32 x 32 か、整数倍で 32 x 32 になる 1, 2, 4, 8, 16 "
                               "ピクセルのタイルのみ）");
        factor_ = ChipPixels / int(w);
        if (options_.scale != 0 && options_.scale != factor_)
            return refuse("--scale " + std::to_string(options_.scale) + " では " + size +
                          " のタイルが 32 x 32 になりません（" + std::to_string(factor_) +
                          " 倍が必要です）");
        if (factor_ > 1 && options_.scale == 0)
            out_.notices.push_back(size + " のタイルを " + std::to_string(factor_) +
                                   " 倍に拡大して 32 x 32 のチップにしました（--scale）");
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
        return chosen_.size() > 1 ? "タイルレイヤー" + quoted(layer.name) + "の" : std::string();
    }

    Error notInTileset(const TiledLayer& layer, std::size_t k, std::uint32_t gid) const {
        return refuse(layerPrefix(layer) + cellName(k) + " のタイル ID " + std::to_string(gid) +
                      " はタイルセットにありません");
    }

    Status findUsedTilesets() {
        if (!std::is_sorted(map_.tilesets.begin(), map_.tilesets.end(),
                            [](const TiledTileset& a, const TiledTileset& b) {
                                return a.firstGid < b.firstGid;
                            }))
            return refuse("タイルセットが firstgid の順に並んでいません");
        std::vector<bool> used(map_.tilesets.size());
        for (const TiledLayer* layer : chosen_) {
            for (std::size_t k = 0; k < layer->ids.size(); ++k) {
                const std::uint32_t gid = layer->ids[k];
                if (gid == 0) continue;
                // Flattened, a flipped tile is drawn flipped into its stack's chip; a layer taken
                // as it is has no way to say a chip is flipped.
                const std::uint32_t refused =
                    options_.flatten ? (gid & RotatedHexagonal120) : (gid & FlagBits);
                if (refused) {
                    std::string flags;
                    for (int bit = 0; bit < 4; ++bit)
                        if (refused & (0x80000000u >> bit))
                            flags += (flags.empty() ? "" : "・") + std::string(FlagNames[bit]);
                    return Error{
                        unsupported("反転・回転したタイル（" + layerPrefix(*layer) + cellName(k) +
                                    "、" + flags + "）")
                            .message +
                        (options_.flatten ? "" : "（--flatten なら反転した絵をチップにします）")};
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
            return refuse("外部タイルセットを開けません：" + ref.source + "（" + why + "）");
        };
        auto doc = readTiledFile(ref.source);
        if (!doc) {
            const std::string& m = doc.error().message;
            const std::string lead = "ファイルを読み込めません：";
            return cannotOpen(m.starts_with(lead) ? m.substr(lead.size()) : m);
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
        plain_ = !options_.flatten && used_.size() == 1 && factor_ == 1 && first.margin == 0 &&
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
            return refuse("チップ画像が大きくなりすぎます（チップ " +
                          std::to_string(columns * rows) + " 個分。上限は " +
                          std::to_string(MaxGeneratedChips) + " 個です）");
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
            out_.notices.push_back("タイルセット " + std::to_string(used_.size()) +
                                   " 個を 1 枚のチップ画像にまとめました");
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
            return refuse("重ねたタイルの組み合わせが " + std::to_string(count) +
                          " 通りあり、チップ画像に入る " + std::to_string(MaxGeneratedChips) +
                          " 個を超えます（--layer で 1 枚ずつ読み込めます）");
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
            out_.notices.push_back("タイルレイヤー " + std::to_string(depth) +
                                   " 枚を重ね、タイルの組み合わせ " + std::to_string(count) +
                                   " 通りをチップにしました");
        return Ok{};
    }

    TiledMap map_;
    const TiledImportOptions& options_;
    std::string lead_;
    TiledImport out_;
    std::vector<const TiledLayer*> chosen_;
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
