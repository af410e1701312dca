#pragma once
// Small maps for the core tests, drawn as rows of digits, one chip per character.

#include "core/EditorState.h"

#include <string>
#include <vector>

namespace tilora {

// The map the rows draw; the grid beyond it holds 7.
inline EditorState mapFrom(const std::vector<std::string>& rows) {
    EditorState s;
    s.MapCells.assign(s.MapCells.size(), 7);
    s.MapHeight = int(rows.size());
    s.MapWidth = int(rows[0].size());
    for (int r = 0; r < s.MapHeight; ++r)
        for (int c = 0; c < s.MapWidth; ++c)
            s.cell(r, c) = rows[r][c] - '0';
    return s;
}

// The map's cells as rows of digits.
inline std::vector<std::string> rowsOf(const EditorState& s) {
    std::vector<std::string> rows;
    for (int r = 0; r < s.MapHeight; ++r) {
        std::string row;
        for (int c = 0; c < s.MapWidth; ++c)
            row += char('0' + s.cell(r, c));
        rows.push_back(row);
    }
    return rows;
}

} // namespace tilora
