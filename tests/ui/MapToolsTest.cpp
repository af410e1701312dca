// The map view's tool dispatch: which tool a press goes to, and the press-drag-release gesture
// that only a tool capturing the pointer sees.

#include "TestApp.h"

#include "mapview/MapTools.h"
#include "mapview/tools/FillTool.h"
#include "mapview/tools/PenTool.h"
#include "mapview/tools/StampTool.h"
#include "mapview/tools/ZoomPickTool.h"

#include <QAction>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

namespace tilora::test {
namespace {

TEST(MapTools, AZoomPickOutranksTheArmedToolWhichOutranksStampAndPen) {
    struct Case {
        const char* name;
        std::function<void(Editor&)> act;
        const std::type_info& active;
    };
    const Case cases[] = {
        {"nothing chosen", [](Editor&) {}, typeid(PenTool)},
        {"stamp", [](Editor& e) { e.main.StampButton->click(); }, typeid(StampTool)},
        {"fill over the stamp",
         [](Editor& e) {
             e.main.StampButton->click();
             e.main.Fill1->trigger();
         },
         typeid(FillTool)},
        {"zoom after the fill",
         [](Editor& e) {
             e.main.Fill1->trigger();
             e.main.ZoomOutButton->click();
         },
         typeid(ZoomPickTool)},
        {"Esc leaves the zoom pick",
         [](Editor& e) {
             e.main.ZoomOutButton->click();
             e.main.DisarmKey->trigger();
         },
         typeid(ZoomPickTool)},
        {"the pick ends it",
         [](Editor& e) {
             e.main.ZoomOutButton->click();
             e.click(0, 0);
         },
         typeid(PenTool)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        c.act(e);
        const MapTool& active = e.view.tools().active();
        EXPECT_EQ(typeid(active), c.active);
        EXPECT_EQ(e.view.Shape1->shape(), active.cursor());
        EXPECT_EQ(e.view.Shape1->toolTip(), active.hint());
    }
}

// A tool that holds the pointer from press to release and notes what reaches it.
class RecordingTool final : public MapTool {
  public:
    using MapTool::MapTool;
    bool press(const ToolEvent& e) override { return note("press", e), true; }
    void move(const ToolEvent& e) override { note("move", e); }
    void release(const ToolEvent& e) override { note("release", e); }
    void cancel() override { events.emplace_back("cancel"); }
    void note(const char* what, const ToolEvent& e) {
        events.push_back(std::string(what) + ' ' + std::to_string(e.cell.row) + ',' +
                         std::to_string(e.cell.col) +
                         (e.modifiers & Qt::ShiftModifier ? " shift" : ""));
    }
    std::vector<std::string> events;
};

TEST(MapTools, OnlyACapturingToolSeesTheDragAndTheRelease) {
    Editor e;
    RecordingTool& tool = *e.view.tools().add<RecordingTool>();
    e.view.tools().arm<RecordingTool>();
    QWidget* view = e.view.Image1;
    const auto at = [](int cell) { return cell * 32 + 16; };
    QTest::mousePress(view, Qt::LeftButton, Qt::ShiftModifier, QPoint(at(2), at(1)));
    movePointer(view, at(4), at(1), Qt::LeftButton);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(at(5), at(3)));
    movePointer(view, at(6), at(6)); // no button held: no longer the tool's drag
    const std::vector<std::string> gesture = {"press 1,2 shift", "move 1,4", "release 3,5"};
    EXPECT_EQ(tool.events, gesture);
    EXPECT_EQ(e.s().HoverCol, 6); // the cursor followed the drag and then the pointer

    // Without the capture (the pen's click) the held moves leave the cursor where it was.
    tool.events.clear();
    e.view.tools().disarm();
    e.s().CurrentChip = 4;
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(at(0), at(0)));
    movePointer(view, at(3), at(0), Qt::LeftButton);
    EXPECT_EQ(e.s().HoverCol, 0);
    EXPECT_EQ(e.s().cell(0, 3), 0);
    EXPECT_EQ(tool.events, std::vector<std::string>{"cancel"});
}

// A pen run goes on under a tool that takes single clicks (fill), and ends when a tool that
// works by dragging is chosen, so selecting cells paints none.
TEST(MapTools, ADragToolEndsThePensRun) {
    for (const bool select : {false, true}) {
        SCOPED_TRACE(select ? "select" : "fill");
        Editor e;
        e.s().CurrentChip = 4;
        e.click(0, 0); // starts the run
        (select ? e.main.Select1 : e.main.Fill1)->trigger();
        e.moveTo(0, 3);
        EXPECT_EQ(e.s().cell(0, 3), select ? 0 : 4);
    }
}

} // namespace
} // namespace tilora::test
