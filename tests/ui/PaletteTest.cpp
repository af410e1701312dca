// The chip palette: frame tracking, snapped scrolling, the still copy, chip selection.

#include "TestApp.h"

#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/LayoutChipWindow.h"
#include "shell/TMainWindow.h"

#include <QAction>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace tilora::test {
namespace {

// A palette holding a generated sheet, with the bars a sheet of that size gets, shown.
struct Palette {
    TestApp t;
    TMapChipWindow& w = *t->MapChipWindow;

    Palette(int sheetWidth, int sheetHeight) {
        t->setSheet(makeSheet(sheetWidth, sheetHeight));
        if (sheetHeight > ViewPixels) {
            w.ScrollBar1->setRange(0, sheetHeight - ViewPixels);
            w.ScrollBar1->show();
        }
        if (sheetWidth > ViewPixels) {
            w.ScrollBar2->setRange(0, sheetWidth - ViewPixels);
            w.ScrollBar2->show();
        }
        w.show();
    }

    // A click inside the frame, on the sheet beneath it: the chip it selects.
    int clickFrame(Qt::MouseButton button = Qt::LeftButton) {
        const QPoint p = w.Image1->mapFrom(&w, w.Shape1->pos() + QPoint(10, 10));
        pressButton(w.Image1, button, p.x(), p.y());
        return t.state().CurrentChip;
    }
    Pixel previewPixel(int x, int y) { return t->StartUpWindow->Image1->bitmap().pixel(x, y); }
};

TEST(Palette, WindowAsLaidOut) {
    TestApp t;
    TMapChipWindow& w = *t->MapChipWindow;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("チップウィンドウ"));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.Image2->geometry(), QRect(0, 0, 553, 545));
    EXPECT_EQ(w.Shape1->geometry(), QRect(0, 0, 32, 32));
    EXPECT_TRUE(w.Shape1->toolTip().isEmpty());
    EXPECT_EQ(w.ScrollBar1->width(), 16);
    EXPECT_EQ(w.ScrollBar2->height(), 17);
    for (QScrollBar* bar : {w.ScrollBar1, w.ScrollBar2}) {
        EXPECT_TRUE(bar->isHidden());
        EXPECT_EQ(bar->singleStep(), 32);
        EXPECT_EQ(bar->pageStep(), 64);
        EXPECT_EQ(bar->contextMenuPolicy(), Qt::NoContextMenu);
    }
    // Bottom to top: Image2, Image1, Shape1, then the bars.
    const QObjectList& kids = w.children();
    EXPECT_LT(kids.indexOf(w.Image2), kids.indexOf(w.Image1));
    EXPECT_LT(kids.indexOf(w.Image1), kids.indexOf(w.Shape1));
    EXPECT_LT(kids.indexOf(w.Shape1), kids.indexOf(w.ScrollBar1));

    // Once sized, the border cannot be dragged.
    w.setClientSize(336, 337);
    EXPECT_EQ(w.minimumSize(), QSize(336, 337));
    EXPECT_EQ(w.maximumSize(), QSize(336, 337));
}

TEST(Palette, FrameSnapsToTheCellLeftOfAGridLine) {
    Palette p(640, 640);
    struct Case {
        int x, y, left, top;
    };
    const Case cases[] = {
        {32, 32, 0, 0},   {33, 32, 32, 0},  {32, 33, 0, 32}, {0, 0, 0, 0},
        {64, 64, 32, 32}, {65, 96, 64, 64}, {97, 1, 96, 0},  {639, 639, 608, 608},
    };
    for (const Case& c : cases) {
        movePointer(p.w.Image1, c.x, c.y);
        EXPECT_EQ(p.w.Shape1->pos(), QPoint(c.left, c.top)) << c.x << "," << c.y;
    }
}

TEST(Palette, FrameOnAScrolledSheetIsInWindowCoordinates) {
    Palette p(640, 640);
    p.w.ScrollBar1->triggerAction(QAbstractSlider::SliderPageStepAdd);   // 64
    p.w.ScrollBar2->triggerAction(QAbstractSlider::SliderSingleStepAdd); // 32
    ASSERT_EQ(p.w.Image1->pos(), QPoint(-32, -64));
    // Sheet pixel (40, 100) is chip column 1, row 3.
    movePointer(p.w.Image1, 40, 100);
    EXPECT_EQ(p.w.Shape1->pos(), QPoint(32 - 32, 96 - 64));
}

struct SnapCase {
    int proposed;
    int settled;
};
const SnapCase kSnapCases[] = {{70, 64}, {63, 32}, {64, 64}, {0, 0}, {319, 288}, {320, 320}};

enum class Gesture { ArrowUp, ArrowDown, PageUp, PageDown, Thumb };

// Brings the bar to a position from which the gesture proposes `proposed`, then performs it.
// Returns false when the gesture cannot propose that position inside the bar's range.
bool propose(TMapChipWindow& w, QScrollBar* bar, Gesture g, int proposed) {
    const int step =
        (g == Gesture::PageUp || g == Gesture::PageDown) ? bar->pageStep() : bar->singleStep();
    switch (g) {
    case Gesture::ArrowDown:
    case Gesture::PageDown: {
        const int start = proposed - step;
        if (start < 0) return false;
        w.setBarPosition(bar, start);
        bar->triggerAction(g == Gesture::ArrowDown ? QAbstractSlider::SliderSingleStepAdd
                                                   : QAbstractSlider::SliderPageStepAdd);
        return true;
    }
    case Gesture::ArrowUp:
    case Gesture::PageUp: {
        const int start = proposed + step;
        if (start > bar->maximum()) return false;
        w.setBarPosition(bar, start);
        bar->triggerAction(g == Gesture::ArrowUp ? QAbstractSlider::SliderSingleStepSub
                                                 : QAbstractSlider::SliderPageStepSub);
        return true;
    }
    case Gesture::Thumb:
        // A drag: the thumb is held, moved to the proposed position and let go.
        w.setBarPosition(bar, proposed == 160 ? 96 : 160);
        bar->setSliderDown(true);
        bar->setSliderPosition(proposed);
        bar->triggerAction(QAbstractSlider::SliderMove);
        bar->setSliderDown(false);
        return true;
    }
    return false;
}

TEST(Palette, EveryScrollGestureSettlesOnAWholeChip) {
    for (const bool vertical : {true, false}) {
        for (const Gesture g : {Gesture::ArrowUp, Gesture::ArrowDown, Gesture::PageUp,
                                Gesture::PageDown, Gesture::Thumb}) {
            for (const SnapCase& c : kSnapCases) {
                Palette p(640, 640);
                QScrollBar* bar = vertical ? p.w.ScrollBar1 : p.w.ScrollBar2;
                if (!propose(p.w, bar, g, c.proposed)) continue;
                SCOPED_TRACE(testing::Message()
                             << (vertical ? "vertical" : "horizontal") << " gesture " << int(g)
                             << " proposing " << c.proposed);
                EXPECT_EQ(bar->value(), c.settled);
                EXPECT_EQ(bar->sliderPosition(), c.settled);
                const int offset = vertical ? p.t.state().SheetScrollY : p.t.state().SheetScrollX;
                EXPECT_EQ(offset, c.settled);
                EXPECT_EQ(vertical ? p.w.Image1->y() : p.w.Image1->x(), -c.settled);
                // The other direction is untouched.
                EXPECT_EQ(vertical ? p.t.state().SheetScrollX : p.t.state().SheetScrollY, 0);
            }
        }
    }
}

TEST(Palette, KeyboardAndWheelOnTheBarAreSnappedToo) {
    Palette p(640, 640);
    QScrollBar* bar = p.w.ScrollBar1;
    p.w.setBarPosition(bar, 6);

    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(bar, &down); // proposes 38
    EXPECT_EQ(bar->value(), 32);
    EXPECT_EQ(p.t.state().SheetScrollY, 32);

    // Right and left arrows on the horizontal bar go right and left.
    QScrollBar* across = p.w.ScrollBar2;
    p.w.setBarPosition(across, 40);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(across, &right); // proposes 72
    EXPECT_EQ(across->value(), 64);
    EXPECT_EQ(p.t.state().SheetScrollX, 64);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(across, &left);
    EXPECT_EQ(across->value(), 32);

    p.w.setBarPosition(bar, 6);
    QWheelEvent wheel(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_NE(bar->value(), 6);
    EXPECT_EQ(bar->value() % 32, 0);
    EXPECT_EQ(p.t.state().SheetScrollY, bar->value());
    EXPECT_EQ(p.w.Image1->y(), -bar->value());
}

TEST(Palette, SetBarPositionRunsTheChangeButNotTheScrollHandler) {
    Palette p(640, 640);
    p.w.setBarPosition(p.w.ScrollBar1, 70);
    EXPECT_EQ(p.w.ScrollBar1->value(), 70);
    EXPECT_EQ(p.t.state().SheetScrollY, 0); // not snapped to 64 and not taken over
    EXPECT_EQ(p.w.Image1->pos(), QPoint(0, 0));
    EXPECT_TRUE(p.w.Image1->isHidden()); // the change handler did run
}

TEST(Palette, AScrollLeavesTheFrameAndAClickTakesTheChipNowUnderIt) {
    Palette p(640, 640); // 20 chips per row
    movePointer(p.w.Image1, 40, 40);
    ASSERT_EQ(p.w.Shape1->pos(), QPoint(32, 32));
    ASSERT_EQ(p.clickFrame(), 21);

    p.w.ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    p.w.ScrollBar2->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(p.w.Shape1->pos(), QPoint(32, 32));
    // Window (32, 32) now shows sheet (96, 64): column 3, row 2.
    EXPECT_EQ(p.clickFrame(), 2 * 20 + 3);
    EXPECT_EQ(p.previewPixel(0, 0), chipColour(43));
}

TEST(Palette, TallNarrowSheetScrolledOneChip) {
    Palette p(256, 640); // 8 chips per row, vertical bar only
    EXPECT_TRUE(p.w.ScrollBar2->isHidden());
    p.w.ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(p.t.state().SheetScrollY, 32);
    // Sheet pixel (70, 130) is column 2, row 4, which the frame shows at window (64, 96).
    movePointer(p.w.Image1, 70, 130);
    ASSERT_EQ(p.w.Shape1->pos(), QPoint(64, 96));
    EXPECT_EQ(p.clickFrame(), 34);
}

TEST(Palette, EveryMouseButtonSelectsAndFillsThePreview) {
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        Palette p(320, 320); // no bars: the frame position is the chip's pixel position
        movePointer(p.w.Image1, 100, 260); // column 3, row 8
        EXPECT_EQ(p.clickFrame(button), 8 * 10 + 3) << button;
        EXPECT_EQ(p.previewPixel(0, 0), chipColour(83)) << button;
        EXPECT_EQ(p.previewPixel(31, 31), chipColour(83)) << button;
    }
}

TEST(Palette, StillCopyShowsTheScrolledSheetUntilThePointerComesBack) {
    Palette p(256, 640);
    p.w.ScrollBar1->triggerAction(QAbstractSlider::SliderPageStepAdd); // 64
    EXPECT_TRUE(p.w.Image1->isHidden());
    const Bitmap& copy = p.w.Image2->bitmap();
    // Image2 (x, y) shows sheet (x, y + 64) across the sheet's width, 320 high.
    EXPECT_EQ(copy.pixel(0, 0), chipColour(2 * 8));
    EXPECT_EQ(copy.pixel(255, 319), chipColour(11 * 8 + 7));
    // Beyond the sheet's width and below the copied 320 rows: the untouched background.
    const Pixel background = copy.pixel(552, 544);
    EXPECT_EQ(copy.pixel(256, 0), background);
    EXPECT_EQ(copy.pixel(0, 320), background);

    // A move over the frame does not bring the sheet back; a move over the still copy does.
    movePointer(p.w.Shape1, 5, 5);
    EXPECT_TRUE(p.w.Image1->isHidden());
    movePointer(p.w.Image2, 100, 100);
    EXPECT_FALSE(p.w.Image1->isHidden());

    // So does a move over the window's bare client area.
    p.w.ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepSub);
    ASSERT_TRUE(p.w.Image1->isHidden());
    EXPECT_EQ(copy.pixel(0, 0), chipColour(8));
    movePointer(&p.w, 330, 330);
    EXPECT_FALSE(p.w.Image1->isHidden());
}

TEST(Palette, ClosingHidesUnchecksAndKeepsEverything) {
    Palette p(640, 640);
    p.t->MainWindow->MapChipWindow1->setChecked(true);
    p.w.ScrollBar1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    p.w.ScrollBar2->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    movePointer(p.w.Image1, 70, 70);
    const int chip = p.clickFrame();
    const QPoint frame = p.w.Shape1->pos();

    p.w.close();
    EXPECT_FALSE(p.w.isVisible());
    EXPECT_FALSE(p.t->MainWindow->MapChipWindow1->isChecked());

    p.w.show();
    EXPECT_EQ(p.w.ScrollBar1->value(), 64);
    EXPECT_EQ(p.w.ScrollBar2->value(), 32);
    EXPECT_EQ(p.t.state().SheetScrollY, 64);
    EXPECT_EQ(p.t.state().SheetScrollX, 32);
    EXPECT_EQ(p.w.Image1->pos(), QPoint(-32, -64));
    EXPECT_EQ(p.w.Shape1->pos(), frame);
    EXPECT_EQ(p.t.state().CurrentChip, chip);
    EXPECT_EQ(p.clickFrame(), chip);
}

TEST(Palette, NewLayoutAfterAScrollStartsFromTheTopLeft) {
    Palette p(640, 640);
    p.w.ScrollBar1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    p.w.ScrollBar2->triggerAction(QAbstractSlider::SliderPageStepAdd);
    movePointer(p.w.Image1, 200, 200); // frame at window (128, 128)
    ASSERT_EQ(p.w.Shape1->pos(), QPoint(128, 128));

    // What a map load does: offsets back to 0, then the layout.
    p.t.state().SheetScrollX = 0;
    p.t.state().SheetScrollY = 0;
    LayoutChipWindow(*p.t);
    EXPECT_EQ(p.w.ScrollBar1->value(), 0);
    EXPECT_EQ(p.w.ScrollBar2->value(), 0);
    EXPECT_EQ(p.w.Image1->pos(), QPoint(0, 0));
    EXPECT_FALSE(p.w.Image1->isHidden());
    // The frame stayed at window (128, 128), which now shows chip column 4, row 4.
    EXPECT_EQ(p.clickFrame(), 4 * 20 + 4);
}

// The viewport's first pixel row and column belong to the first chip shown, as the map view
// counts its cells.
TEST(Palette, APressOnTheViewportsFirstPixelTakesTheFirstChipShown) {
    Palette p(640, 640); // 20 chips per row
    p.w.ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    p.w.ScrollBar2->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    pressButton(p.w.Image1, Qt::LeftButton, 32, 32); // the sheet pixel under viewport (0, 0)
    EXPECT_EQ(p.t.state().CurrentChip, 1 * 20 + 1);
    EXPECT_EQ(p.w.Shape1->pos(), QPoint(0, 0));
}

// Beside the sheet, on a map cell holding a chip past the sheet's last, or with a new sheet that
// is smaller: the current chip is never one the sheet does not have.
TEST(ChipGuard, NoPressPickOrNewSheetMakesAChipTheSheetDoesNotHaveCurrent) {
    Editor e(20, 256); // 8 x 8 chips
    TMapChipWindow& palette = *e.t->MapChipWindow;
    ASSERT_TRUE(e.t->chooseChip(5));
    pressButton(palette.Image2, Qt::LeftButton, 40, 300); // below the last row
    pressButton(palette.Image2, Qt::LeftButton, 300, 40); // right of the last column
    e.s().cell(0, 0) = 64;
    e.click(0, 0, Qt::RightButton);
    EXPECT_EQ(e.s().CurrentChip, 5);

    ASSERT_TRUE(e.t->chooseChip(63));
    e.t->setSheet(makeSheet(64, 64));
    EXPECT_EQ(e.s().CurrentChip, 0);
}

} // namespace
} // namespace tilora::test
