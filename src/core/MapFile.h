#pragma once
// The map file: the chip sheet's path, the width, the height and every cell, comma-terminated,
// one line per row, CR LF line ends. Reading produces a separate value, so a file that fails
// to read leaves the editor's state as it was; applying it is a separate step.

#include "PageMemory.h"
#include "Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tilora {

struct MapDocument;

// Longest sheet path a map file may hold: the system's own path limit (PATH_MAX), so every path
// the system can open fits and a line 1 of megabytes is refused at once.
inline constexpr std::size_t MaxSheetPathBytes = 4096;

// A map's cells. A million cells take 4 MB, held in large pages; cells the vector grows by
// without a value are unspecified until written.
using CellVector = std::vector<std::int32_t, PageAllocator<std::int32_t>>;

struct MapContents {
    std::string sheetPath; // bytes as stored, no quoting
    int width = 0;         // 1..1000 when read from a file
    int height = 0;        // 1..1000 when read from a file
    CellVector cells;      // width * height, row-major, compact (stride = width)

    std::int32_t at(int row, int col) const { return cells[std::size_t(row) * width + col]; }

    friend bool operator==(const MapContents&, const MapContents&) = default;
};

// What keeps a chip sheet's path from being line 1 of a map file and read back the same: the
// format has no escape, so a ',', CR, LF or NUL would end the field early; and a path longer than
// MaxSheetPathBytes is more than any system opens. The one rule for every path a map may name.
enum class SheetPathFault { None, TooLong, Unstorable };
SheetPathFault sheetPathFault(std::string_view path);

// The map rectangle of the document (SheetFileName, MapWidth x MapHeight cells).
MapContents mapContentsFromState(const MapDocument& state);

// Writes SheetFileName, MapWidth, MapHeight and the map rectangle into the document, and drops
// the selection; grid cells outside the rectangle keep their values. The contents must be valid
// (sizes within the grid).
void applyMapContents(const MapContents& contents, MapDocument& state);

// Whether the contents can be written so that they read back the same: sizes within 1..1000,
// width * height cells, and a sheet path without a SheetPathFault. The message is ready for the
// user.
Status checkMapContents(const MapContents& contents);

// The exact bytes of a map file: "%s,\r\n%d,\r\n%d,\r\n", then per row "%d," x width and "\r\n".
std::string formatMapFile(const MapContents& contents);

// Strict reader: accepts what formatMapFile writes and LF-only line ends; refuses anything
// else with a message that says what is wrong and where (line, and column for cells).
// Also taken: a missing line end after the last row, empty lines after it, and blanks or a '+'
// in front of a number. A sheet path with a SheetPathFault is refused, as checkMapContents
// refuses it. A file saved by another editor in a form this one does
// not write is named for what it is: UTF-16 text, a UTF-8 byte-order mark, CR-only line ends.
Result<MapContents> parseMapFile(std::string_view bytes);

// What a counting read keeps of the cells instead of the cells themselves.
struct CellCounts {
    std::int32_t lowest = 0;
    std::int32_t highest = 0;
    std::int64_t belowZero = 0; // cells < 0
    std::int64_t fromBound = 0; // cells >= the bound the reader was given
};

struct CountedMap {
    MapContents contents; // the path and the sizes; no cells
    CellCounts counts;
};

// Reads the file as parseMapFile does, with the same checks and the same messages, but keeps no
// cells, only their counts. bound is asked once, after the first three lines are read and before
// any row, with the contents so far (no cells); fromBound counts the cells at or above what it
// answers (a bound past every 32-bit number counts none).
Result<CountedMap> countMapFile(std::string_view bytes,
                                const std::function<std::int64_t(const MapContents&)>& bound);

} // namespace tilora
