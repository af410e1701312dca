#pragma once
// The four commands of tilora-cli. Each returns an error for the caller to print as one line;
// remarks that do not stop the command (cells left empty, a sheet not found by info) go to err.
// A path "-" for the output writes it to `out`.

#include "cli/CliSupport.h"
#include "cli/MapImage.h"
#include "cli/TmxWriter.h"
#include "core/Result.h"
#include "tiled/TiledImport.h"

#include <iosfwd>

namespace tilora::cli {

struct RenderOptions {
    ImageFormat format = ImageFormat::Png;
    int cellSize = DefaultRenderCellSize;
    RenderFilter filter = RenderFilter::Box;
    int pngLevel = 1;
};

// `sheet` (the --sheet option, or none): the chip sheet to use for a map whose own sheet is not
// found.

// Sheet path as written and as found, size, lowest and highest chip, cells the sheet lacks. A
// sheet the one sheet rule refuses is reported as render would refuse it, and has no size.
Status runInfo(const CliPath& map, std::ostream& out, std::ostream& err,
               const CliPath* sheet = nullptr);

// The whole map as one BMP or PNG, cellSize pixels per cell.
Status runRender(const CliPath& map, const CliPath& image, const RenderOptions& options,
                 std::ostream& out, const CliPath* sheet = nullptr);

// The map as a Tiled TMX or JSON file.
Status runExport(const CliPath& map, const CliPath& tmx, TiledOutput format, std::ostream& out,
                 std::ostream& err, const CliPath* sheet = nullptr);

struct ImportOptions {
    tiled::TiledImportOptions tiled;
    std::string sheet; // where a generated sheet goes; empty: beside the map, named for it
};

// A Tiled map (TMX or JSON, plain or gzip) as a map file, with a generated PNG sheet when the
// map's tiles cannot be used as they are.
Status runImport(const CliPath& tiledMap, const CliPath& map, const ImportOptions& options,
                 std::ostream& out, std::ostream& err);

} // namespace tilora::cli
