// Painting on the map view through pointer moves and presses on the view: pen, stamp, chip pick,
// zoom pick and the pen's continuous painting.

#include "TestApp.h"

#include "core/ChipRenderer.h"
#include "core/StampBanks.h"
#include "mapview/TMapWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/TMainWindow.h"
#include "stamps/TStampWindow.h"

#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace tilora::test {
namespace {

using CellSet = std::set<std::pair<int, int>>; // (row, column)

struct MapEditor {
    TestApp t;
    TMapWindow& m;

    MapEditor(int width, int height, int cellSize = 32, int fill = 0) : m(*t->MapWindow) {
        t->setSheet(makeSheet(256, 256));
        EditorState& s = t.state();
        s.SheetColumns = 8;
        s.MapWidth = width;
        s.MapHeight = height;
        s.CellSize = cellSize;
        s.ZoomStep = 6;
        // Also a margin beyond the map, so that a write past its edge shows.
        for (int r = 0; r < std::max(height, 30); ++r)
            for (int c = 0; c < std::max(width, 30); ++c)
                s.cell(r, c) = fill;
        m.redrawView();
    }

    EditorState& s() { return t.state(); }

    // Puts the cell cursor on view cell (row, col) by a pointer move over the view.
    void pointAt(int row, int col) {
        const int cs = s().CellSize;
        pointer = QPoint(col * cs + cs / 2, row * cs + cs / 2);
        movePointer(m.Image1, pointer.x(), pointer.y());
    }
    // A press (and release) where the pointer is.
    void press(Qt::MouseButton button) { pressButton(m.Image1, button, pointer.x(), pointer.y()); }
    QPoint pointer;

    Pixel viewPixel(int row, int col) const {
        const int cs = t.app->State.CellSize;
        return m.Image1->bitmap().pixel(col * cs + cs / 2, row * cs + cs / 2);
    }

    // The cells of the grid's top-left 30 x 30 corner that differ from `fill`.
    CellSet cellsNot(int fill) {
        CellSet out;
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < 30; ++c)
                if (s().cell(r, c) != fill) out.insert({r, c});
        return out;
    }
};

CellSet block(int row0, int row1, int col0, int col1) {
    CellSet out;
    for (int r = row0; r <= row1; ++r)
        for (int c = col0; c <= col1; ++c)
            out.insert({r, c});
    return out;
}

TEST(Painting, PenEightIsClippedAtTheMapEdge) {
    MapEditor e(10, 10);
    e.s().PenSize = 8;
    e.s().CurrentChip = 3;
    e.s().cell(0, 0) = 11; // written behind the view's back: the full redraw must show it
    e.pointAt(5, 9);
    e.press(Qt::LeftButton);

    CellSet expected = block(5, 9, 9, 9);
    expected.insert({0, 0});
    EXPECT_EQ(e.cellsNot(0), expected);
    EXPECT_EQ(e.s().cell(5, 9), 3);
    EXPECT_EQ(e.s().MapModified, 1);
    EXPECT_EQ(e.s().PenDragActive, 1);
    // The drag pointer shows over the whole map window, its scroll bars included.
    EXPECT_EQ(e.m.cursor().shape(), Qt::DragMoveCursor);
    EXPECT_EQ(e.m.ScrollBar1->cursor().shape(), Qt::DragMoveCursor);
    EXPECT_EQ(e.viewPixel(9, 9), chipColour(3));
    EXPECT_EQ(e.viewPixel(0, 0), chipColour(11));
}

TEST(Painting, StampsWriteOnlyOpaqueCellsInsideTheMap) {
    struct Case {
        const char* name;
        int mapSide, cellSize, row, col;
        void (*fillBank)(StampBankArray&);
        CellSet expected; // cells that no longer hold the map's fill 1
        int chip;
    };
    const Case cases[] = {
        {"clipped three columns before the right edge", 20, 16, 0, 17,
         [](StampBankArray& b) { clearStampBank(b, 2, 4); }, block(0, 9, 17, 19), 4},
        {"transparent except the top-left cell", 10, 32, 3, 4,
         [](StampBankArray& b) {
             clearStampBank(b, 2, TransparentChip);
             stampCell(b, 2, 0, 0) = 7;
         },
         CellSet{{3, 4}}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MapEditor e(c.mapSide, c.mapSide, c.cellSize, 1);
        c.fillBank(e.s().StampBanks);
        e.t->StampWindow->TrackBar1->setValue(2); // the bank in use is the editor's
        e.s().StampMode = 1;
        e.pointAt(c.row, c.col);
        e.press(Qt::LeftButton);
        EXPECT_EQ(e.cellsNot(1), c.expected);
        for (const auto& [r, col] : c.expected)
            EXPECT_EQ(e.s().cell(r, col), c.chip);
        EXPECT_EQ(e.viewPixel(c.row, c.col), chipColour(c.chip));
        EXPECT_EQ(e.s().MapModified, 1);
        EXPECT_EQ(e.s().PenDragActive, 0);
        EXPECT_NE(e.m.Image1->cursor().shape(), Qt::DragMoveCursor);
    }
}

TEST(Painting, FullyClippedClickStillMarksTheMap) {
    MapEditor e(10, 10, 16); // the view shows 20 columns, the map only 10
    e.pointAt(2, 15);
    e.press(Qt::LeftButton);
    EXPECT_TRUE(e.cellsNot(0).empty());
    EXPECT_EQ(e.s().MapModified, 1);
}

TEST(Painting, ZoomPickSetsScaleAndOrigin) {
    struct Case {
        const char* name;
        int zoomStep, width, height, row, col;
        int cellSize, viewRow, viewCol, frame;
    };
    const Case cases[] = {
        {"step 7 at view cell (2, 3)", 7, 100, 100, 2, 3, 64, 2, 3, 64},
        {"step 7 pulled back to the right edge", 7, 12, 100, 0, 9, 64, 0, 7, 64},
        {"step 1 on a map that fits", 1, 50, 50, 7, 8, 1, 0, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MapEditor e(c.width, c.height, 32, 1);
        EditorState& s = e.s();
        e.pointAt(c.row, c.col);
        s.cell(c.viewRow, c.viewCol) = 9; // the new top-left cell
        // Armed as the zoom buttons leave it; a stamp click would overwrite the 1s with 0s.
        s.ZoomStep = c.zoomStep;
        s.ZoomPending = 1;
        s.StampMode = 1;
        TMainWindow& main = *e.t->MainWindow;
        main.ZoomInButton->setEnabled(false);
        main.ZoomOutButton->setEnabled(false);
        e.m.Shape1->setShape(ShapeWidget::Shape::Circle);
        e.m.Shape1->setToolTip(QStringLiteral("拡大　基準座標を選んでください"));
        const auto cellsBefore = s.MapCells;

        e.press(Qt::LeftButton);

        EXPECT_EQ(s.CellSize, c.cellSize);
        EXPECT_EQ(s.ViewRow, c.viewRow);
        EXPECT_EQ(s.ViewCol, c.viewCol);
        EXPECT_EQ(s.ZoomStep, c.zoomStep);
        EXPECT_EQ(s.ZoomPending, 0);
        EXPECT_EQ(e.m.Shape1->size(), QSize(c.frame, c.frame));
        EXPECT_EQ(e.m.Shape1->shape(), ShapeWidget::Shape::RoundSquare);
        EXPECT_TRUE(e.m.Shape1->toolTip().isEmpty());
        if (c.zoomStep < 7) {
            EXPECT_TRUE(main.ZoomInButton->isEnabled());
        }
        if (c.zoomStep > 1) {
            EXPECT_TRUE(main.ZoomOutButton->isEnabled());
        }
        EXPECT_EQ(e.m.Image1->bitmap().pixel(0, 0), chipColour(9));
        EXPECT_TRUE(s.MapCells == cellsBefore);
        EXPECT_EQ(s.MapModified, 0);
        EXPECT_EQ(s.PenDragActive, 0);
    }
}

TEST(Painting, RightClickPicksTheChipAndEndsDragging) {
    MapEditor e(10, 10);
    EditorState& s = e.s();
    s.cell(4, 6) = 12;
    e.pointAt(4, 6);
    s.PenDragActive = 1; // a pen stroke in progress, after a save, with a zoom pick armed
    s.ZoomPending = 1;
    s.cell(0, 0) = 30; // not drawn yet: any redraw would show it
    const Bitmap viewBefore = e.m.Image1->bitmap();
    const auto cellsBefore = s.MapCells;

    e.press(Qt::RightButton);

    EXPECT_EQ(s.CurrentChip, 12);
    EXPECT_EQ(s.PenDragActive, 0);
    EXPECT_EQ(e.m.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(e.m.Image1->bitmap() == viewBefore);
    EXPECT_TRUE(s.MapCells == cellsBefore);
    EXPECT_EQ(s.MapModified, 0);
    EXPECT_EQ(s.ZoomPending, 1);

    e.pointAt(5, 5); // dragging has ended: moves no longer paint
    EXPECT_EQ(s.cell(5, 5), 0);
}

TEST(Painting, PenClickThenMoveRightPaintsTheBlockAtTheNewAnchor) {
    MapEditor e(10, 10);
    EditorState& s = e.s();
    s.PenSize = 2;
    s.CurrentChip = 5;
    e.pointAt(2, 2);
    e.press(Qt::LeftButton);
    EXPECT_EQ(e.cellsNot(0), block(2, 3, 2, 3));

    s.cell(8, 8) = 20; // drag steps draw only the cells they write
    s.StampMode = 1;   // not consulted once the pen drags
    e.pointAt(2, 3);

    EXPECT_EQ(e.m.Shape1->pos(), QPoint(96, 64));
    CellSet expected = block(2, 3, 2, 4);
    expected.insert({8, 8});
    EXPECT_EQ(e.cellsNot(0), expected);
    for (const auto& [r, c] : block(2, 3, 3, 4))
        EXPECT_EQ(e.viewPixel(r, c), chipColour(5));
    EXPECT_EQ(e.viewPixel(8, 8), chipColour(0));
    EXPECT_EQ(s.MapModified, 1);
}

TEST(Painting, DragStepsMarkTheMapModifiedAgain) {
    MapEditor e(10, 10, 16); // the view shows 20 x 20 cells of which the map is 10 x 10
    EditorState& s = e.s();
    s.PenSize = 2;
    s.CurrentChip = 6;
    e.pointAt(0, 0);
    e.press(Qt::LeftButton);
    s.MapModified = 0; // saved while the pen keeps dragging

    // Outside the map nothing is written, drawn or marked. (The pointer comes back there from
    // outside the view, so no line joins it to the cell painted before.)
    e.m.Image1->bitmap().setPixel(15 * 16 + 8, 4 * 16 + 8, 0xFF123456u);
    QEvent left(QEvent::Leave);
    QCoreApplication::sendEvent(e.m.Image1, &left);
    e.pointAt(4, 15);
    EXPECT_EQ(e.s().MapModified, 0);
    EXPECT_EQ(e.viewPixel(4, 15), 0xFF123456u);

    // At the right edge only the column inside the map is written and drawn.
    e.m.Image1->bitmap().setPixel(10 * 16 + 8, 6 * 16 + 8, 0xFF123456u);
    e.pointAt(6, 9);
    EXPECT_EQ(e.s().MapModified, 1);
    EXPECT_EQ(s.cell(6, 9), 6);
    EXPECT_EQ(s.cell(7, 9), 6);
    EXPECT_EQ(e.viewPixel(7, 9), chipColour(6));
    EXPECT_EQ(e.viewPixel(6, 10), 0xFF123456u);
}

TEST(Painting, MiddleClickChangesNothing) {
    MapEditor e(10, 10);
    EditorState& s = e.s();
    s.CurrentChip = 3;
    s.ZoomPending = 1;
    s.ZoomStep = 7;
    e.pointAt(1, 1);
    s.cell(0, 0) = 30;
    const Bitmap viewBefore = e.m.Image1->bitmap();
    const auto cellsBefore = s.MapCells;
    e.press(Qt::MiddleButton);
    EXPECT_TRUE(s.MapCells == cellsBefore);
    EXPECT_TRUE(e.m.Image1->bitmap() == viewBefore);
    EXPECT_EQ(s.CurrentChip, 3);
    EXPECT_EQ(s.CellSize, 32);
    EXPECT_EQ(s.ZoomPending, 1);
    EXPECT_EQ(s.PenDragActive, 0);
    EXPECT_EQ(s.MapModified, 0);
}

TEST(Painting, TransparentPenCellsKeepMinusOneAndDrawNeutral) {
    MapEditor e(10, 10);
    EditorState& s = e.s();
    s.CurrentChip = TransparentChip;
    const auto showsNeutral = [&](int row, int col) {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (e.m.Image1->bitmap().pixel(col * 32 + x, row * 32 + y) !=
                    neutralChip().pixel(x, y))
                    return false;
        return true;
    };
    e.pointAt(0, 0);
    e.press(Qt::LeftButton); // full redraw
    e.pointAt(0, 1);         // single-cell drawing
    EXPECT_EQ(s.cell(0, 0), -1);
    EXPECT_EQ(s.cell(0, 1), -1);
    EXPECT_TRUE(showsNeutral(0, 0));
    EXPECT_TRUE(showsNeutral(0, 1));
}

} // namespace
} // namespace tilora::test
