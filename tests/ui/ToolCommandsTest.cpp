// The main window's tool and view commands through the real windows: pens and stamp, the zoom
// buttons with real picks on the map view, the window toggles from buttons and menu items, the
// stamp editor button, help and the about box.

#include "FileCommandsSupport.h"

#include "mapview/TMapWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/HelpViewer.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

namespace tilora::test {
namespace {

using namespace files;

const QString kZoomInHint = QStringLiteral("拡大　基準座標を選んでください");
const QString kZoomOutHint = QStringLiteral("縮小　基準座標を選んでください");

void loadMap(TestApp& t, int w = 40, int h = 40) {
    loadThroughMenu(t, writeMapFixture(t, QStringLiteral("tools.map"), w, h).map);
    ASSERT_TRUE(t->MapWindow->isVisible());
}

std::vector<QPushButton*> toolGroup(TMainWindow& m) {
    return {m.PenButton1, m.PenButton2, m.PenButton3, m.PenButton4, m.StampButton};
}

// Which of the five tool buttons are enabled, as a string "pen1 pen2 pen3 pen4 stamp".
std::string toolStates(TMainWindow& m) {
    std::string s;
    for (QPushButton* b : toolGroup(m))
        s += b->isEnabled() ? '1' : '0';
    return s;
}

TEST(ToolCommands, PenButtonsChooseTheSizeAndMarkTheTool) {
    struct Case {
        int k;
        int size;
        const char* states;
    };
    const Case cases[] = {{2, 2, "10111"}, {3, 4, "11011"}, {4, 8, "11101"}, {1, 1, "01111"}};
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    EXPECT_EQ(toolStates(m), "01111"); // the 1 x 1 pen is marked after a map appears
    t.state().StampMode = 1;
    for (const Case& c : cases) {
        QPushButton* pens[] = {m.PenButton1, m.PenButton2, m.PenButton3, m.PenButton4};
        pens[c.k - 1]->click(); // the real button, through its signal
        EXPECT_EQ(t.state().PenSize, c.size) << c.k;
        EXPECT_EQ(t.state().StampMode, 0) << c.k;
        EXPECT_EQ(toolStates(m), c.states) << c.k;
    }
}

TEST(ToolCommands, PenFourThenStampThenPenOne) {
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    m.PenButtonClick(3);
    m.StampButtonClick();
    EXPECT_EQ(t.state().PenSize, 4);
    EXPECT_EQ(t.state().StampMode, 1);
    EXPECT_EQ(toolStates(m), "11110");
    m.PenButtonClick(1);
    EXPECT_EQ(t.state().StampMode, 0);
    EXPECT_EQ(t.state().PenSize, 1);
    EXPECT_EQ(toolStates(m), "01111");
}

TEST(ToolCommands, ZoomInArmsAPickWithARoundCursor) {
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    ShapeWidget& cursor = *t->MapWindow->Shape1;
    m.ZoomInButton->click();
    EXPECT_EQ(t.state().ZoomStep, 7);
    EXPECT_EQ(t.state().ZoomPending, 1);
    EXPECT_EQ(t.state().CellSize, 32); // unchanged until the pick
    EXPECT_EQ(cursor.shape(), ShapeWidget::Shape::Circle);
    EXPECT_EQ(cursor.toolTip(), kZoomInHint);
    EXPECT_EQ(cursor.toolTip().count(QChar(0x3000)), 1);
    EXPECT_FALSE(m.ZoomInButton->isEnabled());
    EXPECT_TRUE(m.ZoomOutButton->isEnabled());
}

TEST(ToolCommands, BothZoomButtonsBeforeThePickCancelOutButStayArmed) {
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    m.ZoomInButtonClick();
    m.ZoomOutButtonClick();
    EXPECT_EQ(t.state().ZoomStep, 6);
    EXPECT_EQ(t.state().ZoomPending, 1);
    EXPECT_FALSE(m.ZoomInButton->isEnabled());
    EXPECT_FALSE(m.ZoomOutButton->isEnabled());
    EXPECT_EQ(t->MapWindow->Shape1->toolTip(), kZoomOutHint);

    t->MapWindow->Image1MouseDown(Qt::LeftButton, 1, 1);
    EXPECT_EQ(t.state().ZoomPending, 0);
    EXPECT_EQ(t.state().CellSize, 32);
    EXPECT_TRUE(m.ZoomInButton->isEnabled());
    EXPECT_TRUE(m.ZoomOutButton->isEnabled());
}

TEST(ToolCommands, ZoomOutSixTimesFromSevenReachesOnePixel) {
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    TMapWindow& view = *t->MapWindow;
    m.ZoomInButtonClick();
    view.Image1MouseDown(Qt::LeftButton, 1, 1);
    ASSERT_EQ(t.state().ZoomStep, 7);
    ASSERT_EQ(t.state().CellSize, 64);

    // At the largest cells zoom in does nothing: no pick armed, the button stays enabled.
    m.ZoomInButtonClick();
    EXPECT_EQ(t.state().ZoomStep, 7);
    EXPECT_EQ(t.state().ZoomPending, 0);
    EXPECT_TRUE(m.ZoomInButton->isEnabled());
    EXPECT_EQ(view.Shape1->shape(), ShapeWidget::Shape::RoundSquare);

    for (int step = 6; step >= 1; --step) {
        m.ZoomOutButtonClick();
        EXPECT_EQ(t.state().ZoomStep, step);
        EXPECT_FALSE(m.ZoomOutButton->isEnabled());
        view.Image1MouseDown(Qt::LeftButton, 1, 1);
        EXPECT_EQ(t.state().CellSize, 1 << (step - 1)) << step;
        EXPECT_EQ(view.Shape1->shape(), ShapeWidget::Shape::RoundSquare) << step;
        EXPECT_TRUE(view.Shape1->toolTip().isEmpty()) << step;
    }
    EXPECT_EQ(t.state().CellSize, 1);

    // A seventh zoom out does nothing.
    m.ZoomOutButtonClick();
    EXPECT_EQ(t.state().ZoomStep, 1);
    EXPECT_EQ(t.state().ZoomPending, 0);
    EXPECT_TRUE(m.ZoomOutButton->isEnabled());
    EXPECT_EQ(view.Shape1->shape(), ShapeWidget::Shape::RoundSquare);
}

TEST(ToolCommands, MapWindowToggleAfterCloseFollowsTheCheckMark) {
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    TMapWindow& view = *t->MapWindow;
    m.CloseFileClick();
    ASSERT_TRUE(view.isVisible());
    ASSERT_FALSE(m.MapWindow1->isChecked());

    view.move(200, 300);
    m.MapShowButton->click(); // shows it (no visible change) and sets the mark
    EXPECT_TRUE(view.isVisible());
    EXPECT_TRUE(m.MapWindow1->isChecked());
    EXPECT_EQ(view.pos(), QPoint(0, m.frameGeometry().height()));

    m.MapShowButton->click();
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(m.MapWindow1->isChecked());
}

TEST(ToolCommands, MenuItemsToggleTheWindowsAndKeepTheirMarksRight) {
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    ASSERT_TRUE(m.MapWindow1->isChecked());

    // Choosing a checked item flips its mark before the command runs; the command must still
    // read it as checked, hide the window and leave the mark off.
    m.MapWindow1->trigger();
    EXPECT_FALSE(t->MapWindow->isVisible());
    EXPECT_FALSE(m.MapWindow1->isChecked());
    m.MapWindow1->trigger();
    EXPECT_TRUE(t->MapWindow->isVisible());
    EXPECT_TRUE(m.MapWindow1->isChecked());

    m.MapChipWindow1->trigger();
    EXPECT_FALSE(t->MapChipWindow->isVisible());
    EXPECT_FALSE(m.MapChipWindow1->isChecked());
    m.MapChipWindow1->trigger();
    EXPECT_TRUE(t->MapChipWindow->isVisible());
    EXPECT_TRUE(m.MapChipWindow1->isChecked());
}

TEST(ToolCommands, ChipWindowToggleDecidesByVisibilityAndSitsRightOfTheMap) {
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    TMapChipWindow& palette = *t->MapChipWindow;
    const TMapWindow& view = *t->MapWindow;
    palette.move(500, 500);
    m.ChipShowButton->click();
    EXPECT_FALSE(palette.isVisible());
    EXPECT_FALSE(m.MapChipWindow1->isChecked());
    EXPECT_EQ(palette.pos(),
              QPoint(view.x() + view.frameGeometry().width(), m.frameGeometry().height()));

    // A mark that disagrees with the window does not matter: the window decides.
    m.MapChipWindow1->setChecked(true);
    m.ToggleChipWindow();
    EXPECT_TRUE(palette.isVisible());
    EXPECT_TRUE(m.MapChipWindow1->isChecked());
}

TEST(ToolCommands, StampEditorButtonRedrawsTheBankAndToggles) {
    TestApp t;
    loadMap(t);
    TMainWindow& m = *t->MainWindow;
    TStampWindow& editor = *t->StampWindow;
    std::fill(t.state().StampBanks.begin(), t.state().StampBanks.begin() + StampCells, 3);

    m.SEButton->click();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.Label1->text(), QStringLiteral("1"));
    EXPECT_EQ(editor.Image1->bitmap().pixel(40, 40), chipColour(3));

    // Changed while shown: the next press redraws and hides, the one after shows the new bank.
    std::fill(t.state().StampBanks.begin(), t.state().StampBanks.begin() + StampCells, 5);
    m.SEButton->click();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.Image1->bitmap().pixel(40, 40), chipColour(5));
    m.SEButton->click();
    EXPECT_TRUE(editor.isVisible());
}

TEST(ToolCommands, HelpAndAbout) {
    TestApp t;
    TMainWindow& m = *t->MainWindow;
    m.Help1->trigger();
    EXPECT_EQ(t.dialogs.helpShown, 1);

    m.About1->trigger();
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    const MessageCall& about = t.dialogs.messages[0];
    EXPECT_EQ(about.caption, QStringLiteral("バージョン情報"));
    EXPECT_EQ(about.buttons, MessageButtons::Ok);
    EXPECT_EQ(about.owner, nullptr);
    const QStringList lines = about.text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("Tilora ver1.0"));
    EXPECT_TRUE(lines[1].contains(QLatin1Char('@')));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("https://")));
}

TEST(ToolCommands, HelpOpensOneViewerWithTheShippedDocument) {
    QtDialogs dialogs; // the real help service; no modal box is shown on this path
    Application app(dialogs, testScreen());
    app.MainWindow->Help1Click();
    HelpViewer* viewer = HelpViewer::current();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_EQ(viewer->window()->windowTitle(), HelpCaption);
    EXPECT_EQ(viewer->parentWidget(), app.MainWindow.get());
    const QString text = viewer->browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("マップデータの形式")))
        << text.left(200).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("0,17,0,0,0,0,0,0,0,0,")));

    viewer->close();
    app.MainWindow->Help1Click();
    EXPECT_EQ(HelpViewer::current(), viewer); // the same window, shown again
    EXPECT_TRUE(viewer->isVisible());
}

} // namespace
} // namespace tilora::test
