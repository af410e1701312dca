// Feeds arbitrary bytes to the map file reader. Whatever it accepts must be a map the editor can
// hold, must survive writing and reading again unchanged, and must fit the grid when applied.

#include "core/MapFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

using namespace tilora;

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "map_reader_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto parsed = parseMapFile(bytes);
    if (!parsed) {
        require(parsed.error().message.rfind("マップデータを読み込めません：", 0) == 0,
                "a refusal without the reader's message");
        return 0;
    }
    const MapContents& m = *parsed;
    require(m.width >= 1 && m.width <= MaxMapSide, "width outside 1..1000");
    require(m.height >= 1 && m.height <= MaxMapSide, "height outside 1..1000");
    require(m.cells.size() == std::size_t(m.width) * std::size_t(m.height), "cell count");
    require(checkMapContents(m).ok(), "accepted contents that cannot be saved");

    const std::string written = formatMapFile(m);
    const auto again = parseMapFile(written);
    require(again.ok(), "the writer's output is refused");
    require(*again == m, "write and read changed the map");
    require(formatMapFile(*again) == written, "writing is not stable");

    // Applying touches only the map rectangle of the fixed grid and reads back the same.
    static EditorState state;
    applyMapContents(m, state);
    require(mapContentsFromState(state) == m, "apply and read back differ");
    return 0;
}
