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

// `sheet` (the --sheet option, or none): the chip sheet to use for a map whose own sheet is not
// found.

// Sheet path as written and as found, size, lowest and highest chip, cells the sheet lacks. A
// sheet the one sheet rule refuses is reported as render would refuse it, and has no size.
Status runInfo(const CliPath& map, std::ostream& out, std::ostream& err,
               const CliPath* sheet = nullptr);

// The whole map as one BMP or PNG, cellSize pixels per cell.
Status runRender(const CliPath& map, const CliPath& image, const RenderOptions& options,
                 std::ostream& out, const CliPath* sheet = nullptr);

// The map as a Tiled TMX file.
Status runExport(const CliPath& map, const CliPath& tmx, std::ostream& out, std::ostream& err,
                 const CliPath* sheet = nullptr);

// A Tiled TMX file as a map file.
Status runImport(const CliPath& tmx, const CliPath& map, std::ostream& out, std::ostream& err);

} // namespace tilora::cli
