#pragma once
// The pen: a left click paints a PenSize square of the current chip with its top-left cell on the
// clicked cell and starts a run; each move with no button held then paints the square under the
// pointer, whichever tool is chosen meanwhile, until a right click ends the run. Two pointer cells
// of the run that are not neighbours are joined by a line of pen squares.

#include "core/EditorState.h"
#include "mapview/MapTool.h"

#include <optional>

namespace tilora {

class PenTool final : public MapTool {
  public:
    using MapTool::MapTool;
    bool press(const ToolEvent& event) override;
    void hover(const ToolEvent& event) override;
    void leave() override;
    void cancel() override;
    bool running() const override;

  private:
    // The cell the run painted last, while the pointer stays over the view, and the view it was
    // painted in.
    struct JoinPoint {
        Anchor cell;
        int viewRow = 0;
        int viewCol = 0;
        int cellSize = 0;
        static JoinPoint at(Anchor cell, const EditorState& s) {
            return {cell, s.ViewRow, s.ViewCol, s.CellSize};
        }
        bool sameView(const EditorState& s) const {
            return viewRow == s.ViewRow && viewCol == s.ViewCol && cellSize == s.CellSize;
        }
    };
    std::optional<JoinPoint> joinFrom_;
};

} // namespace tilora
