// The edit menu through the real windows: undo and redo of each kind of map step, the steps a
// continuous-painting run is cut into, the modified flag against the saved point, and the fill.

#include "FileCommandsSupport.h"
#include "TestApp.h"

#include "palette/TMapChipWindow.h"
#include "platform/ShapeWidget.h"

#include <QAction>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

namespace tilora::test {
namespace {

struct StepCase {
    const char* name;
    std::function<void(Editor&)> step;
};

TEST(EditCommands, UndoAndRedoEachKindOfStep) {
    const StepCase cases[] = {
        {"pen click",
         [](Editor& e) {
             e.main.PenButton2->click();
             e.s().CurrentChip = 5;
             e.click(1, 1);
             e.click(1, 1, Qt::RightButton);
         }},
        {"stamp paste",
         [](Editor& e) {
             e.s().StampBanks[0] = 7; // bank 0, cell (0, 0); the rest paste chip 0 again
             e.main.StampButton->click();
             e.click(2, 3);
         }},
        {"fill",
         [](Editor& e) {
             e.s().CurrentChip = 9;
             e.main.Fill1->trigger();
             e.click(4, 4);
         }},
        {"painting run",
         [](Editor& e) {
             e.s().CurrentChip = 3;
             e.click(0, 0);
             e.moveTo(0, 4);
             e.moveTo(3, 4);
             e.click(3, 4, Qt::RightButton);
         }},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        const auto before = e.cells();
        c.step(e);
        const auto after = e.cells();
        ASSERT_NE(before, after);
        ASSERT_TRUE(e.main.Undo1->isEnabled());
        EXPECT_FALSE(e.main.Redo1->isEnabled());

        e.main.Undo1->trigger();
        EXPECT_EQ(e.cells(), before);
        EXPECT_EQ(e.pixel(0, 0), chipColour(0)); // redrawn from the restored cells
        EXPECT_FALSE(e.main.Undo1->isEnabled());
        EXPECT_TRUE(e.main.Redo1->isEnabled());

        e.main.Redo1->trigger();
        EXPECT_EQ(e.cells(), after);
        EXPECT_EQ(e.pixel(0, 0), chipColour(after[0]));
    }
}

// A painting run is cut into two steps by a command, a palette pick or the pointer leaving the
// view, but not by scrolling; the run itself goes on.
TEST(EditCommands, ARunIsCutByCommandsButNotByScrolling) {
    struct Cut {
        const char* name;
        std::function<void(Editor&)> cut;
        int stepsOfTheRun;
    };
    const Cut cuts[] = {
        {"toolbar button", [](Editor& e) { e.main.PenButton2->click(); }, 2},
        {"palette pick",
         [](Editor& e) { e.t->MapChipWindow->Image1MouseDown(Qt::LeftButton, 5, 5); }, 2},
        {"pointer leaves the view",
         [](Editor& e) {
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(e.view.Image1, &leave);
         },
         2},
        {"scrolling", [](Editor& e) { e.view.ScrollBar1Scroll(0); }, 1},
    };
    for (const Cut& c : cuts) {
        SCOPED_TRACE(c.name);
        Editor e(40);
        e.s().CurrentChip = 4;
        e.click(0, 0);
        e.moveTo(0, 2);
        c.cut(e);
        e.s().CurrentChip = 4; // the palette pick chose chip 0
        e.moveTo(2, 2);
        EXPECT_EQ(e.s().PenDragActive, 1);
        EXPECT_EQ(e.s().cell(2, 2), 4);
        int steps = 0;
        while (e.main.Undo1->isEnabled()) {
            e.main.Undo1->trigger();
            ++steps;
        }
        EXPECT_EQ(steps, c.stepsOfTheRun);
        EXPECT_EQ(e.s().cell(0, 0), 0);
    }
}

TEST(EditCommands, AStepThatChangedNothingIsNotRecorded) {
    Editor e;
    e.click(3, 3); // chip 0 over chip 0
    EXPECT_EQ(e.s().MapModified, 1);
    EXPECT_FALSE(e.main.Undo1->isEnabled());
}

TEST(EditCommands, ModifiedFollowsTheSavedPointAndLoadClearsTheHistory) {
    Editor e;
    const files::MapFixture f = files::writeMapFixture(e.t, QStringLiteral("a.map"), 20, 20);
    files::loadThroughMenu(e.t, f.map);
    EXPECT_FALSE(e.main.Undo1->isEnabled());
    for (int cell : {0, 1}) { // two steps; the right click picks chip 0 back
        e.s().CurrentChip = 11;
        e.click(cell, cell);
        e.click(cell, cell, Qt::RightButton);
    }

    e.main.Undo1->trigger();
    EXPECT_EQ(e.s().MapModified, 1);
    e.main.Undo1->trigger();
    EXPECT_EQ(e.s().MapModified, 0); // back to the file: no question on exit
    e.main.Redo1->trigger();
    EXPECT_EQ(e.s().MapModified, 1);
    ASSERT_TRUE(e.main.SaveMap());
    EXPECT_EQ(e.s().MapModified, 0);
    EXPECT_TRUE(e.main.Undo1->isEnabled()); // a save keeps the history
    e.main.Undo1->trigger();
    EXPECT_EQ(e.s().MapModified, 1); // undone past the save
    e.main.Redo1->trigger();
    EXPECT_EQ(e.s().MapModified, 0);

    e.main.NewButtonClick();
    EXPECT_FALSE(e.main.Undo1->isEnabled());
    EXPECT_FALSE(e.main.Redo1->isEnabled());
}

TEST(EditCommands, FillReplacesTheRegionOfAWholeMapAsOneStep) {
    Editor e(1000);
    e.s().cell(999, 999) = 2; // an island the fill goes round
    e.s().CurrentChip = 6;
    e.s().MapModified = 0;
    e.main.Fill1->trigger();
    EXPECT_EQ(e.view.Shape1->shape(), ShapeWidget::Shape::Rectangle);
    EXPECT_FALSE(e.view.Shape1->toolTip().isEmpty());
    e.click(5, 5);
    EXPECT_EQ(std::count(e.s().MapCells.begin(), e.s().MapCells.end(), 6), 1000 * 1000 - 1);
    EXPECT_EQ(e.s().cell(999, 999), 2);
    EXPECT_EQ(e.s().MapModified, 1);
    EXPECT_EQ(e.s().PenDragActive, 0);
    EXPECT_FALSE(e.view.fillArmed());
    EXPECT_EQ(e.view.Shape1->shape(), ShapeWidget::Shape::RoundSquare);
    e.main.Undo1->trigger();
    EXPECT_EQ(e.s().cell(0, 0), 0);
    EXPECT_EQ(e.s().cell(999, 998), 0);
}

// What takes an armed fill back, and what each of them still does.
TEST(EditCommands, EscRightClickAndAZoomButtonDisarmTheFill) {
    struct Disarm {
        const char* name;
        std::function<void(Editor&)> act;
    };
    const Disarm disarms[] = {
        {"Esc", [](Editor& e) { e.main.DisarmKey->trigger(); }},
        {"right click", [](Editor& e) { e.click(2, 2, Qt::RightButton); }},
        {"zoom button", [](Editor& e) { e.main.ZoomOutButton->click(); }},
    };
    for (const Disarm& d : disarms) {
        SCOPED_TRACE(d.name);
        Editor e;
        e.s().cell(2, 2) = 3;
        e.main.Fill1->trigger();
        ASSERT_TRUE(e.view.fillArmed());
        d.act(e);
        EXPECT_FALSE(e.view.fillArmed());
        e.s().CurrentChip = 1;
        e.click(0, 0);
        // The next left click is no fill: a pen click (or the zoom pick) touches one cell at most.
        EXPECT_EQ(e.s().cell(0, 1), 0);
    }
}

// A zoom button at its limit arms nothing and so takes nothing from the fill; a load replaces the
// map the fill was armed on.
TEST(EditCommands, AZoomButtonAtItsLimitKeepsTheFillAndALoadDisarmsIt) {
    Editor e;
    e.main.ZoomInButton->click();
    e.click(0, 0); // the pick: 64-pixel cells, the largest
    e.main.Fill1->trigger();
    e.main.ZoomInButton->click();
    EXPECT_EQ(e.s().ZoomPending, 0);
    EXPECT_TRUE(e.view.fillArmed());

    e.main.Fill1->trigger();
    ASSERT_TRUE(e.view.fillArmed());
    const files::MapFixture f = files::writeMapFixture(e.t, QStringLiteral("b.map"), 12, 11);
    files::loadThroughMenu(e.t, f.map);
    EXPECT_FALSE(e.view.fillArmed());
    EXPECT_FALSE(e.main.DisarmKey->isEnabled());
}

TEST(EditCommands, FillIsDisabledWithoutPensAndWhileAZoomPickIsPending) {
    Editor e;
    EXPECT_TRUE(e.main.Fill1->isEnabled());
    e.main.ZoomInButton->click();
    EXPECT_FALSE(e.main.Fill1->isEnabled());
    e.click(0, 0); // the pick
    EXPECT_TRUE(e.main.Fill1->isEnabled());
    e.main.NewButtonClick();
    EXPECT_FALSE(e.main.Fill1->isEnabled());
}

} // namespace
} // namespace tilora::test
