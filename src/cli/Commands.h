#pragma once
// The four commands of tilora-cli. Each returns an error for the caller to print as one line;
// remarks that do not stop the command (cells left empty, a sheet not found by info) go to err.
// A path "-" for the output writes it to `out`.

#include "cli/CliSupport.h"
#include "cli/MapImage.h"
#include "core/Result.h"

#include <iosfwd>

namespace tilora::cli {

struct RenderOptions {
    ImageFormat format = ImageFormat::Png;
    int cellSize = DefaultRenderCellSize;
    RenderFilter filter = RenderFilter::Box;
    int pngLevel = 1;
};

// Sheet path as written and as found, size, lowest and highest chip, cells the sheet lacks.
Status runInfo(const CliPath& map, std::ostream& out, std::ostream& err);

// The whole map as one BMP or PNG, cellSize pixels per cell.
Status runRender(const CliPath& map, const CliPath& image, const RenderOptions& options,
                 std::ostream& out);

// The map as a Tiled TMX file.
Status runExport(const CliPath& map, const CliPath& tmx, std::ostream& out, std::ostream& err);

// A Tiled TMX file as a map file.
Status runImport(const CliPath& tmx, const CliPath& map, std::ostream& out, std::ostream& err);

} // namespace tilora::cli
