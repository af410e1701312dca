#pragma once
// Undo and redo of map edits. A step is the set of cells one edit changed, each kept as its grid
// index with the chip before and after; cells written with the chip they already held are not
// kept, and neighbouring cells (next in the grid's memory order) that went from the same chip to
// the same chip share one record, so a fill of a whole row, or of a whole map 1000 wide, is one.
// A step opens with its first changed cell and stays open while the edit goes on (a whole
// continuous-painting run, say) until the caller closes it. Recording a cell is a few comparisons
// and at most an append, so painting costs about what it cost without the history.
//
// The history is bounded: when the steps together hold more than the byte limit, the oldest go
// first. It also remembers which point of the history matches the map as last saved or loaded,
// so that the caller can tell, after an undo or a redo, whether the map differs from its file.
//
// The region edits (paste, move, delete, rectangle, line) rewrite whole spans of cells; they keep
// each span's cells as they were, one copy, instead of a record per run: a million different cells
// are four megabytes, not sixteen. The spans' new cells are taken from the map only when the step
// is first undone (until then the map holds them). A step may also hold the selection before and
// after it (undo and redo put the outline back) and one stamp bank before and after it (capture
// to stamp), which changes no map cell and so does not make the map differ from its file.

#include "CellRect.h"
#include "MapGrid.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace tilora {

struct EditorState;
struct MapDocument;

// Elements index .. index + count - 1 of MapCells went from `before` to `after`.
struct CellChange {
    std::uint32_t index;
    std::uint32_t count;
    std::int32_t before;
    std::int32_t after;
};

// The rows top..bottom and columns left..right (inclusive) that hold every cell of a step.
// Empty when nothing changed.
struct CellArea {
    int top = 0;
    int left = 0;
    int bottom = -1;
    int right = -1;

    bool empty() const { return bottom < top || right < left; }
    // Whether any cell of the area lies in the `rows` x `cols` block whose top-left cell is
    // (row, col): the view, when the caller decides what to redraw.
    bool overlaps(int row, int col, int rows, int cols) const {
        return !empty() && rows > 0 && cols > 0 && top < row + rows && row <= bottom &&
               left < col + cols && col <= right;
    }
};

class UndoHistory {
  public:
    static constexpr std::size_t DefaultByteLimit = std::size_t(64) << 20;

    explicit UndoHistory(std::size_t byteLimit = DefaultByteLimit);

    // Records that MapCells[index] (and the count - 1 elements after it) went from `before` to
    // `after`; the caller has written them. Equal values are ignored. The first change after a
    // closed step opens a new one and drops whatever could still be redone.
    void record(std::size_t index, std::int32_t before, std::int32_t after,
                std::uint32_t count = 1) {
        if (before == after || count == 0) return;
        touch(index, count);
        if (!open_) openStep();
        std::vector<CellChange>& changes = steps_.back().changes;
        if (!changes.empty()) {
            CellChange& last = changes.back();
            if (last.index + last.count == index && last.before == before && last.after == after) {
                last.count += count;
                return;
            }
        }
        const std::size_t capacity = changes.capacity();
        changes.push_back({std::uint32_t(index), count, before, after});
        if (changes.capacity() != capacity) grew(capacity, changes.capacity());
    }

    // Runs `write` (which changes MapCells only inside `area`) and records the cells of `area`
    // that it changed. Returns that number. Meant for the pen and the stamp: a few dozen cells.
    template <class Write> int recordWrites(MapDocument& state, CellRect area, Write&& write) {
        snapshot(state, area);
        write();
        return collect(state);
    }

    // Writes `chip` into the `count` elements of MapCells from `index` and records them. Returns
    // how many of them changed. One pass over the cells: what a rectangle, a line or a delete
    // costs beyond writing its cells is a comparison per cell.
    int writeCells(MapDocument& state, std::size_t index, std::uint32_t count, std::int32_t chip);

    // A region edit: beginSpans closes the open step; each writeSpan hands `write` the `count`
    // elements of MapCells from `index` to rewrite, and fillSpan writes `chip` into them (spans
    // must lie in the grid and not overlap); endSpans opens a step holding the spans that
    // changed, left open so the caller can add the selection (the caller closes it), and returns
    // the number of cells that changed (0: no step). `cells` and `spans` are the expected totals,
    // so the copies are made without growing.
    void beginSpans(std::size_t cells, std::size_t spans);
    template <class Write>
    void writeSpan(std::int32_t* grid, std::size_t index, std::uint32_t count, Write&& write) {
        std::int32_t* const at = grid + index;
        std::int32_t* const was = spanRoom(count);
        std::copy_n(at, count, was);
        write(at);
        std::uint32_t changed = 0;
        for (std::uint32_t k = 0; k < count; ++k)
            changed += at[k] != was[k] ? 1u : 0u;
        keepSpan(index, count, changed);
    }
    void fillSpan(MapDocument& state, std::size_t index, std::uint32_t count, std::int32_t chip);
    int endSpans();

    // The open step, if there is one, puts the selection back to `before` when it is undone and
    // to `after` when it is redone.
    void recordSelection(CellRect before, CellRect after);

    // Stamp bank `bank` of StampBanks went from `before` to the bank the state holds now; the
    // caller has written it. Opens a step when none is open. Nothing happens when they are equal.
    void recordStamp(const EditorState& state, int bank,
                     const std::array<std::int32_t, StampCells>& before);

    // Ends the open step, if any. A step that changed no cell was never opened.
    void closeStep();
    bool stepOpen() const { return open_; }

    bool canUndo() const { return applied_ > 0; }
    bool canRedo() const { return applied_ < steps_.size(); }

    // Closes the open step, then writes the last step's cells back to their earlier chips.
    // Returns the area that changed (empty when there was nothing to undo).
    CellArea undo(EditorState& state);
    // Writes the next undone step's cells again. Returns the area that changed.
    CellArea redo(EditorState& state);

    // The map now matches its file (it was just saved). Closes the open step first.
    void markSaved();
    // Whether the map differs from what was last saved or loaded, as far as the history knows:
    // true when no saved point was marked since the last clear, or when it was dropped by the
    // byte limit or by an edit made after undoing past it.
    bool differsFromSaved() const;
    // The file no longer holds the saved point (it was changed or removed from outside): from now
    // on no undo or redo brings the map back to its file.
    void forgetSavedPoint() { savedKnown_ = false; }

    // Forgets every step and the saved point (a new map; a load then calls markSaved).
    void clear();

    // The cells written through the history (edits recorded, undo, redo) since the last call,
    // for the views that show the map small and follow it; the whole grid after a clear (a new
    // map or a load changed everything).
    CellArea takeTouched();

    std::size_t bytesUsed() const { return bytes_; }
    std::size_t stepCount() const { return steps_.size(); }

  private:
    struct Span {
        std::uint32_t index;
        std::uint32_t count;
    };
    // A region edit's spans and their cells before it, span after span; `after` is filled the
    // first time the step is undone. The buffers are left uninitialised until written.
    struct Block {
        std::vector<Span> spans;
        std::unique_ptr<std::int32_t[]> before;
        std::unique_ptr<std::int32_t[]> after;
        std::size_t cells = 0;    // values in use
        std::size_t capacity = 0; // values `before` has room for
        CellArea area{GridSide, GridSide, -1, -1};
        std::uint64_t changed = 0;
    };
    struct StampChange {
        int bank = 0;
        std::array<std::int32_t, StampCells> before{};
        std::array<std::int32_t, StampCells> after{};
    };
    struct Step {
        std::vector<CellChange> changes;
        CellArea area;
        std::unique_ptr<Block> block; // no cell of it is also one of the step's runs
        std::unique_ptr<StampChange> stamp;
        bool keepsSelection = false;
        CellRect selectionBefore;
        CellRect selectionAfter;

        bool changesMap() const { return !changes.empty() || block; }
    };

    void openStep();
    // Elements index .. index + count - 1 join the touched area.
    void touch(std::size_t index, std::uint32_t count) {
        const int firstRow = int(index / GridSide);
        const int lastRow = int((index + count - 1) / GridSide);
        const bool oneRow = firstRow == lastRow;
        touched_.top = std::min(touched_.top, firstRow);
        touched_.bottom = std::max(touched_.bottom, lastRow);
        touched_.left = std::min(touched_.left, oneRow ? int(index % GridSide) : 0);
        touched_.right =
            std::max(touched_.right, oneRow ? int((index + count - 1) % GridSide) : GridSide - 1);
    }
    void touch(const CellArea& area);
    void grew(std::size_t oldCapacity, std::size_t newCapacity);
    void dropOldest(bool keepOpenStep);
    void snapshot(const MapDocument& state, CellRect area);
    int collect(const MapDocument& state);
    static std::size_t bytesOf(const Step& step);
    // Room for `count` more values of the pending edit's `before`.
    std::int32_t* spanRoom(std::uint32_t count) {
        Block& b = *pending_;
        if (b.cells + count > b.capacity) growPending(count);
        return b.before.get() + b.cells;
    }
    void growPending(std::uint32_t count);
    // The span just copied is kept when it changed. A span lies within one row.
    void keepSpan(std::size_t index, std::uint32_t count, std::uint32_t changed) {
        if (changed == 0) return; // nothing of it to undo
        Block& b = *pending_;
        b.cells += count;
        b.spans.push_back({std::uint32_t(index), count});
        b.changed += changed;
        const int row = int(index / GridSide);
        const int col = int(index - std::size_t(row) * GridSide);
        b.area.top = std::min(b.area.top, row);
        b.area.bottom = std::max(b.area.bottom, row);
        b.area.left = std::min(b.area.left, col);
        b.area.right = std::max(b.area.right, col + int(count) - 1);
    }
    // Whether a step that changes map cells lies between two positions of the history.
    bool mapChangedBetween(std::uint64_t a, std::uint64_t b) const;
    // Position in the whole history since the last clear: steps dropped plus steps applied.
    std::uint64_t position() const { return dropped_ + applied_; }

    std::size_t limit_;
    std::size_t bytes_ = 0;
    std::deque<Step> steps_;
    // steps_[0, applied_) are in the map, the rest can be redone. An open step is always the
    // last one and counts as applied.
    std::size_t applied_ = 0;
    bool open_ = false;
    std::uint64_t dropped_ = 0;
    bool savedKnown_ = false;
    std::uint64_t savedPosition_ = 0;

    // Written since the last takeTouched; empty is {GridSide, GridSide, -1, -1}.
    CellArea touched_{0, 0, GridSide - 1, GridSide - 1};

    // recordWrites' copy of the area before the write.
    CellRect watched_;
    std::vector<std::int32_t> watchedBefore_;

    // The region edit being recorded.
    std::unique_ptr<Block> pending_;
    std::uint32_t runsChanged_ = 0; // its cells kept as runs
};

} // namespace tilora
