// The stamp editor driven through its real widgets: pointer moves and presses on the grid, the
// radio buttons, the slider and the command buttons.

#include "TestApp.h"

#include "core/ChipRenderer.h"
#include "core/StampBanks.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "stamps/TStampWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tilora::test {
namespace {

constexpr int SheetSide = 256; // 8 x 8 chips, 0..63

struct StampEditor {
    TestApp t;
    TStampWindow& w;

    StampEditor() : w(*t->StampWindow) {
        t->setSheet(makeSheet(SheetSide, SheetSide));
        t.state().SheetColumns = SheetSide / 32;
    }

    int& cell(int bank, int row, int col) {
        return stampCell(t.state().StampBanks, bank, row, col);
    }
    int& cell(int row, int col) { return cell(w.CurrentBank(), row, col); }

    // Points at the middle of grid cell (row, col).
    void pointAt(int row, int col) {
        pointer = QPoint(col * 32 + 16, row * 32 + 16);
        movePointer(w.Image1, pointer.x(), pointer.y());
    }
    // A press (and release) where the pointer is.
    void press(Qt::MouseButton button) { pressButton(w.Image1, button, pointer.x(), pointer.y()); }
    QPoint pointer{16, 16};

    Pixel gridPixel(int row, int col, int x, int y) const {
        return w.Image1->bitmap().pixel(col * 32 + x, row * 32 + y);
    }

    // True when every pixel of grid cell (row, col) shows the transparent-cell picture.
    bool showsTransparent(int row, int col) const {
        const Bitmap& picture = w.Image2->bitmap();
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                if (gridPixel(row, col, x, y) != picture.pixel(x, y)) return false;
            }
        }
        return true;
    }

    bool showsChip(int row, int col, int chip) const {
        return gridPixel(row, col, 5, 5) == chipColour(chip) &&
               gridPixel(row, col, 31, 31) == chipColour(chip);
    }
};

TEST(StampWindow, LayoutAsDesigned) {
    StampEditor e;
    TStampWindow& w = e.w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("スタンプエディター"));
    EXPECT_EQ(w.size(), QSize(429 - 8, 383 - 27));
    EXPECT_EQ(w.pos(), QPoint(294, 284));
    EXPECT_EQ(w.Label1->text(), QStringLiteral("１")); // design text until the first draw
    EXPECT_EQ(w.Label2->text(), QStringLiteral("バンク"));
    EXPECT_TRUE(w.Label1->font().bold());
    EXPECT_EQ(w.Label1->font().pixelSize(), 13);

    EXPECT_EQ(w.Shape1->geometry(), QRect(0, 0, 32, 32));
    EXPECT_EQ(w.Shape1->shape(), ShapeWidget::Shape::RoundSquare);
    EXPECT_EQ(w.Image1->geometry(), QRect(0, 0, 320, 320));
    EXPECT_EQ(w.Image2->geometry(), QRect(208, 272, 41, 41));
    EXPECT_TRUE(w.Image2->isHidden());

    EXPECT_EQ(w.TrackBar1->geometry(), QRect(0, 320, 329, 29));
    EXPECT_EQ(w.TrackBar1->minimum(), 0);
    EXPECT_EQ(w.TrackBar1->maximum(), 49);
    EXPECT_EQ(w.TrackBar1->pageStep(), 1);
    EXPECT_EQ(w.TrackBar1->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(w.TrackBar1->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, w.TrackBar1), 20);

    EXPECT_TRUE(w.RadioButton1->isChecked());
    EXPECT_EQ(w.TransparentMode, 0);
    // UpShift belongs to the window, at (32, 16) of the group box's area.
    EXPECT_EQ(w.UpShift->parentWidget(), &w);
    EXPECT_EQ(w.UpShift->pos() - w.GroupBox2->pos(), QPoint(32, 16));
    EXPECT_EQ(w.LeftShift->parentWidget(), w.GroupBox2);
    EXPECT_FALSE(w.Button2->icon().isNull()); // the turned arrow

    const std::vector<std::pair<QWidget*, const char*>> hints = {
        {w.TrackBar1, "５０バンクから　使用/編集する番号を選択"},
        {w.RadioButton1, "チップウィンドウで選択されたチップを使用"},
        {w.RadioButton2, "透明属性のチップを使用"},
        {w.UpShift, "上方向シフト"},
        {w.LeftShift, "左方向シフト"},
        {w.RightShift, "右方向シフト"},
        {w.DownShift, "下方向シフト"},
        {w.Button2, "垂直反転"},
        {w.Button3, "水平反転"},
        {w.Button1, "現在バンクを現在チップでクリア"},
    };
    for (const auto& [widget, hint] : hints)
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(hint));

    // Tab order: slider, radio buttons, clear, then the arrows and mirrors.
    const std::vector<QWidget*> order = {w.TrackBar1, w.RadioButton1, w.Button1,
                                         w.UpShift,   w.LeftShift,    w.RightShift,
                                         w.DownShift, w.Button2,      w.Button3};
    for (std::size_t k = 1; k < order.size(); ++k) {
        QWidget* next = order[k - 1]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || next == w.RadioButton2) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, order[k]) << "after tab stop " << k - 1;
    }
}

TEST(StampWindow, TransparentCellPictureIsExact) {
    StampEditor e;
    const Bitmap& p = e.w.Image2->bitmap();
    ASSERT_EQ(p.width(), 32);
    ASSERT_EQ(p.height(), 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool blue = x == 0 || x == 31 || y == 0 || y == 31 || x + y == 31;
            ASSERT_EQ(p.pixel(x, y), blue ? 0xFF0000FFu : 0xFFFFFFFFu) << x << "," << y;
        }
    }
}

// Marked banks through the real arrow and mirror buttons.
TEST(StampWindow, RotationsAndMirrorsMoveTheMarkedLine) {
    struct Case {
        const char* name;
        bool column; // true: column 0 holds chip 5; false: row 0 holds chip 7
        QPushButton* TStampWindow::*button;
        int expectedLine;
    };
    const Case cases[] = {
        {"mirror left-right", true, &TStampWindow::Button3, 9},
        {"right", true, &TStampWindow::RightShift, 1},
        {"left", true, &TStampWindow::LeftShift, 9},
        {"mirror top-bottom", false, &TStampWindow::Button2, 9},
        {"up", false, &TStampWindow::UpShift, 9},
        {"down", false, &TStampWindow::DownShift, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StampEditor e;
        e.w.TrackBar1->setValue(4);
        const int chip = c.column ? 5 : 7;
        for (int k = 0; k < 10; ++k)
            (c.column ? e.cell(k, 0) : e.cell(0, k)) = chip;
        (e.w.*c.button)->click();
        for (int r = 0; r < 10; ++r) {
            for (int col = 0; col < 10; ++col) {
                const bool marked = (c.column ? col : r) == c.expectedLine;
                ASSERT_EQ(e.cell(r, col), marked ? chip : 0) << r << "," << col;
                ASSERT_TRUE(e.showsChip(r, col, marked ? chip : 0)) << r << "," << col;
            }
        }
        EXPECT_EQ(e.w.Label1->text(), QStringLiteral("5"));
    }
}

TEST(StampWindow, InverseSequencesLeaveTheBankUnchanged) {
    using Buttons = std::vector<QPushButton * TStampWindow::*>;
    const std::vector<std::pair<const char*, Buttons>> cases = {
        {"ten ups", Buttons(10, &TStampWindow::UpShift)},
        {"ten downs", Buttons(10, &TStampWindow::DownShift)},
        {"ten lefts", Buttons(10, &TStampWindow::LeftShift)},
        {"ten rights", Buttons(10, &TStampWindow::RightShift)},
        {"up then down", {&TStampWindow::UpShift, &TStampWindow::DownShift}},
        {"left then right", {&TStampWindow::LeftShift, &TStampWindow::RightShift}},
        {"mirror left-right twice", Buttons(2, &TStampWindow::Button3)},
        {"mirror top-bottom twice", Buttons(2, &TStampWindow::Button2)},
    };
    for (const auto& [name, buttons] : cases) {
        SCOPED_TRACE(name);
        StampEditor e;
        for (int r = 0; r < 10; ++r)
            for (int c = 0; c < 10; ++c)
                e.cell(r, c) = (r * 10 + c - 1) % 64; // -1 at (0, 0)
        const StampBankArray before = e.t.state().StampBanks;
        for (std::size_t k = 0; k < buttons.size(); ++k) {
            (e.w.*buttons[k])->click();
            // Each step but the last moves something, so a button that did nothing would show.
            if (k + 1 < buttons.size()) {
                ASSERT_NE(e.t.state().StampBanks, before) << "step " << k;
            }
        }
        EXPECT_EQ(e.t.state().StampBanks, before);
        EXPECT_TRUE(e.showsTransparent(0, 0));
        EXPECT_TRUE(e.showsChip(9, 9, 98 % 64));
    }
}

TEST(StampWindow, ClearWritesTheChosenAttribute) {
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "normal");
        StampEditor e;
        e.w.TrackBar1->setValue(7);
        e.t.state().CurrentChip = 9;
        (transparent ? e.w.RadioButton2 : e.w.RadioButton1)->click();
        e.cell(6, 0, 0) = 3;
        e.w.Button1->click();
        for (int r = 0; r < 10; ++r) {
            for (int c = 0; c < 10; ++c) {
                ASSERT_EQ(e.cell(r, c), transparent ? -1 : 9);
                if (transparent) {
                    ASSERT_TRUE(e.showsTransparent(r, c)) << r << "," << c;
                } else {
                    ASSERT_TRUE(e.showsChip(r, c, 9)) << r << "," << c;
                }
            }
        }
        EXPECT_EQ(e.cell(6, 0, 0), 3); // only the bank in use
        EXPECT_EQ(e.w.Label1->text(), QStringLiteral("8"));
    }
}

TEST(StampWindow, RightClickPicksTransparentCellThenLeftClickWritesIt) {
    StampEditor e;
    e.t.state().CurrentChip = 4;
    e.cell(2, 3) = -1;
    e.pointAt(2, 3);
    e.press(Qt::RightButton);
    EXPECT_EQ(e.t.state().CurrentChip, -1);

    e.pointAt(5, 5);
    e.press(Qt::LeftButton);
    EXPECT_EQ(e.w.TransparentMode, 0);
    EXPECT_EQ(e.cell(5, 5), -1);
    EXPECT_TRUE(e.showsTransparent(5, 5));
}

TEST(StampWindow, RightClickInTransparentModeEndsSettingAndKeepsCurrentChip) {
    StampEditor e;
    e.t.state().CurrentChip = 4;
    e.cell(1, 1) = 12;
    e.w.RadioButton2->click();
    EXPECT_EQ(e.w.TransparentMode, 1);
    e.pointAt(1, 1);
    e.press(Qt::LeftButton);
    EXPECT_EQ(e.w.StampDragActive, 1);
    EXPECT_EQ(e.w.Image1->cursor().shape(), Qt::DragMoveCursor);
    e.press(Qt::RightButton);
    EXPECT_EQ(e.w.StampDragActive, 0);
    EXPECT_EQ(e.w.Image1->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(e.t.state().CurrentChip, 4);

    e.pointAt(3, 3); // setting has ended: the move only frames the cell
    EXPECT_EQ(e.cell(3, 3), 0);
}

TEST(StampWindow, LeftClickInTransparentModeMakesTheCellTransparent) {
    StampEditor e;
    e.t.state().CurrentChip = 4;
    e.w.RadioButton2->click();
    e.pointAt(6, 2);
    e.press(Qt::LeftButton);
    EXPECT_EQ(e.cell(6, 2), -1);
    EXPECT_TRUE(e.showsTransparent(6, 2));
}

TEST(StampWindow, SettingContinuesOverMovesAndIntoAnotherBank) {
    StampEditor e;
    e.t.state().CurrentChip = 21;
    e.pointAt(0, 1);
    e.press(Qt::LeftButton);
    e.pointAt(0, 2);
    e.w.hide(); // setting survives hiding and a bank change
    e.w.TrackBar1->setValue(3);
    e.pointAt(4, 4);
    EXPECT_EQ(e.cell(0, 0, 1), 21);
    EXPECT_EQ(e.cell(0, 0, 2), 21);
    EXPECT_EQ(e.cell(0, 4, 4), 0);
    EXPECT_EQ(e.cell(3, 4, 4), 21);
    EXPECT_TRUE(e.showsChip(4, 4, 21));
    EXPECT_EQ(e.w.StampDragActive, 1);
}

TEST(StampWindow, BankLabelFollowsTheSlider) {
    StampEditor e;
    EXPECT_EQ(e.w.Label1->text(), QStringLiteral("１"));
    e.w.TrackBar1->setValue(49);
    EXPECT_EQ(e.w.CurrentBank(), 49);
    EXPECT_EQ(e.w.Label1->text(), QStringLiteral("50"));
    e.w.TrackBar1->setValue(0);
    EXPECT_EQ(e.w.Label1->text(), QStringLiteral("1"));
}

TEST(StampWindow, PointerMapsToCellsWithInclusiveUpperEdge) {
    const std::pair<int, int> cases[] = {{0, 0}, {32, 0}, {33, 1}, {64, 1}, {65, 2}, {319, 9}};
    for (const auto& [pixel, expected] : cases) {
        SCOPED_TRACE(pixel);
        StampEditor e;
        movePointer(e.w.Image1, pixel, 200);
        EXPECT_EQ(e.w.StampHoverCol, expected);
        EXPECT_EQ(e.w.Shape1->x(), expected * 32);
        movePointer(e.w.Image1, 200, pixel);
        EXPECT_EQ(e.w.StampHoverRow, expected);
        EXPECT_EQ(e.w.Shape1->y(), expected * 32);
    }
}

TEST(StampWindow, PointerBeyondTheGridKeepsTheFrameOnTheEdgeCells) {
    StampEditor e;
    e.t.state().CurrentChip = 2;
    e.press(Qt::LeftButton);
    // Moves while a button is held belong to the press: the frame stays, nothing is set.
    movePointer(e.w.Image1, 700, -40, Qt::LeftButton);
    EXPECT_EQ(e.w.StampHoverCol, 0);
    EXPECT_EQ(e.cell(0, 9), 0);
    // A move reported beyond the grid with no button held is held to the edge cells.
    movePointer(e.w.Image1, 700, -40);
    EXPECT_EQ(e.w.StampHoverCol, 9);
    EXPECT_EQ(e.w.StampHoverRow, 0);
    EXPECT_EQ(e.cell(0, 9), 2);
    movePointer(e.w.Image1, -5, 900);
    EXPECT_EQ(e.cell(9, 0), 2);
}

TEST(StampWindow, MovesWithoutSettingOnlyMoveTheFrame) {
    StampEditor e;
    e.t.state().CurrentChip = 8;
    e.w.DrawStampBank();
    e.w.Image1->bitmap().setPixel(100, 100, 0xFF123456u); // any redraw would paint over this
    const StampBankArray before = e.t.state().StampBanks;
    e.pointAt(3, 3);
    EXPECT_EQ(e.w.Shape1->pos(), QPoint(96, 96));
    EXPECT_EQ(e.t.state().StampBanks, before);
    EXPECT_EQ(e.w.Image1->bitmap().pixel(100, 100), 0xFF123456u);
}

TEST(StampWindow, ChipsOffTheSheetDrawNeutral) {
    StampEditor e;
    e.cell(0, 0) = 64; // one past the 8 x 8 sheet
    e.w.DrawStampBank();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(e.gridPixel(0, 0, x, y), neutralChip().pixel(x, y));
    EXPECT_TRUE(e.showsChip(0, 1, 0));
}

TEST(StampWindow, ClosingOnlyHides) {
    StampEditor e;
    e.w.RadioButton2->click();
    e.w.TrackBar1->setValue(12);
    e.press(Qt::LeftButton);
    e.w.show();
    EXPECT_TRUE(e.w.close());
    EXPECT_TRUE(e.w.isHidden());
    e.w.show();
    EXPECT_EQ(e.w.TransparentMode, 1);
    EXPECT_EQ(e.w.CurrentBank(), 12);
    EXPECT_EQ(e.w.StampDragActive, 1);
}

} // namespace
} // namespace tilora::test
