// Start-up: the main window's layout and first states, the colour-depth warning, and the two
// start-up timers that show the splash and place the other windows.

#include "TestApp.h"

#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "shell/TMainWindow.h"
#include "shell/TTitleWindow.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tilora::test {
namespace {

const QString DepthWarning =
    QStringLiteral("このソフトウェアは16BitsColorのみサポートしております\n"
                   "他のBitsColorで実行すると色の表示、拡大縮小速度に異常をきたします。");

struct ButtonRow {
    QPushButton* TMainWindow::*button;
    QRect geometry;
    const char* hint;
    const char* caption; // "" when the button shows only its picture
    bool picture;
    bool enabled;
};

const ButtonRow kButtonRows[] = {
    {&TMainWindow::NewButton, {4, 4, 25, 25}, "マップ新規作成", "", true, true},
    {&TMainWindow::OverWriteSaveButton, {4, 30, 25, 25}, "上書き保存", "", true, false},
    {&TMainWindow::OpenButton, {30, 4, 25, 25}, "マップ読み込み", "", true, true},
    {&TMainWindow::NameSaveButton, {30, 30, 25, 25}, "名前をつけて保存", "", true, false},
    {&TMainWindow::ChipShowButton,
     {56, 4, 25, 25},
     "チップウィンドウの表示／非表示",
     "",
     true,
     false},
    {&TMainWindow::MapShowButton,
     {56, 30, 25, 25},
     "マップウィンドウの表示／非表示",
     "",
     true,
     false},
    {&TMainWindow::ZoomInButton, {82, 4, 25, 25}, "拡大表示", "", true, false},
    {&TMainWindow::ZoomOutButton, {82, 30, 25, 25}, "縮小表示", "", true, false},
    {&TMainWindow::PenButton1, {108, 4, 50, 25}, "標準サイズ", "×1", true, false},
    {&TMainWindow::PenButton2, {108, 30, 50, 25}, "縦横２倍サイズ", "×2", true, false},
    {&TMainWindow::PenButton3, {159, 4, 50, 25}, "縦横４倍サイズ", "×4", true, false},
    {&TMainWindow::PenButton4, {159, 30, 50, 25}, "縦横８倍サイズ", "×8", true, false},
    {&TMainWindow::StampButton,
     {210, 4, 25, 25},
     "スタンプエディタで選択されているスタンプを使用",
     "",
     true,
     false},
    {&TMainWindow::SEButton, {210, 30, 25, 25}, "スタンプエディターの表示", "SE", false, false},
};

TEST(StartUp, ToolbarButtonsAreAsLaidOut) {
    TestApp t;
    t->start();
    TMainWindow& m = *t->MainWindow;
    for (const ButtonRow& row : kButtonRows) {
        QPushButton* b = m.*row.button;
        SCOPED_TRACE(row.hint);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->parentWidget(), m.centralWidget());
        EXPECT_EQ(b->geometry(), row.geometry);
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(row.hint));
        EXPECT_EQ(b->text(), QString::fromUtf8(row.caption));
        EXPECT_EQ(!b->icon().isNull(), row.picture);
        EXPECT_EQ(b->isEnabled(), row.enabled);
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        EXPECT_TRUE(b->isVisible());
    }
}

struct MenuItemRow {
    QAction* TMainWindow::*item;
    const char* caption;
    bool enabled;
    bool checkable;
};

struct MenuRow {
    QMenu* TMainWindow::*menu;
    const char* caption;
    std::vector<MenuItemRow> items;
};

TEST(StartUp, MenusAreAsLaidOutInOrder) {
    const std::vector<MenuRow> menus = {
        {&TMainWindow::K1,
         "ファイル",
         {{&TMainWindow::NewFile, "マップ新規作成", true, false},
          {&TMainWindow::LoadFile, "マップの読み込み", true, false},
          {&TMainWindow::Save, "上書き保存", false, false},
          {&TMainWindow::NameSave, "名前をつけて保存", false, false},
          {&TMainWindow::CloseFile, "閉じる", false, false},
          {&TMainWindow::ExitApp, "終了", true, false}}},
        {&TMainWindow::K3,
         "編集",
         {{&TMainWindow::Undo1, "元に戻す", false, false},
          {&TMainWindow::Redo1, "やり直し", false, false},
          {&TMainWindow::Fill1, "塗りつぶし", false, false},
          // Beside the laid-out items: the editing tools and the commands on the selection.
          {&TMainWindow::Select1, "範囲選択", false, false},
          {&TMainWindow::SelectAll1, "すべて選択", false, false},
          {&TMainWindow::Cut1, "切り取り", false, false},
          {&TMainWindow::Copy1, "コピー", false, false},
          {&TMainWindow::Paste1, "貼り付け", false, false},
          {&TMainWindow::PasteInPlace1, "元の位置に貼り付け", false, false},
          {&TMainWindow::Delete1, "削除", false, false},
          {&TMainWindow::Capture1, "スタンプに取り込む", false, false},
          {&TMainWindow::Rectangle1, "四角形", false, false},
          {&TMainWindow::Line1, "直線", false, false}}},
        {&TMainWindow::K4,
         "表示",
         {{&TMainWindow::MapChipWindow1, "チップウィンドウ", false, true},
          {&TMainWindow::MapWindow1, "マップウィンドウ", false, true},
          // Beside the laid-out items: the overview, the grid and the status line.
          {&TMainWindow::OverviewWindow1, "全体図", false, true},
          {&TMainWindow::Grid1, "グリッド", true, true},
          {&TMainWindow::StatusLine1, "ステータスバー", true, true}}},
        {&TMainWindow::K2,
         "ヘルプ",
         {{&TMainWindow::Help1, "ヘルプ", true, false},
          // Half-width katakana, as the layout has it.
          {&TMainWindow::About1, "\uFF8A\uFF9E\uFF70\uFF7C\uFF9E\uFF6E\uFF9D情報", true, false}}},
    };
    TestApp t;
    TMainWindow& m = *t->MainWindow;
    const QList<QAction*> bar = m.menuBar()->actions();
    ASSERT_EQ(bar.size(), qsizetype(menus.size()));
    for (std::size_t i = 0; i < menus.size(); ++i) {
        const MenuRow& menu = menus[i];
        SCOPED_TRACE(menu.caption);
        EXPECT_EQ(bar[qsizetype(i)]->menu(), m.*menu.menu);
        EXPECT_EQ((m.*menu.menu)->title(), QString::fromUtf8(menu.caption));
        const QList<QAction*> items = (m.*menu.menu)->actions();
        ASSERT_EQ(items.size(), qsizetype(menu.items.size()));
        for (std::size_t k = 0; k < menu.items.size(); ++k) {
            const MenuItemRow& row = menu.items[k];
            SCOPED_TRACE(row.caption);
            EXPECT_EQ(items[qsizetype(k)], m.*row.item);
            EXPECT_EQ(items[qsizetype(k)]->text(), QString::fromUtf8(row.caption));
            EXPECT_EQ(items[qsizetype(k)]->isEnabled(), row.enabled);
            EXPECT_EQ(items[qsizetype(k)]->isCheckable(), row.checkable);
            EXPECT_FALSE(items[qsizetype(k)]->isChecked());
        }
    }
}

TEST(StartUp, MainWindowSpansTheScreenTopWithAFixedSizeAndNoMaximiseBox) {
    for (const int screenWidth : {1280, 1024, 801}) {
        SCOPED_TRACE(screenWidth);
        ScreenMetrics screen = testScreen();
        screen.width = screenWidth;
        TestApp t(screen);
        t->start();
        TMainWindow& m = *t->MainWindow;
        EXPECT_EQ(m.windowTitle(), QStringLiteral("Tilora ver1.0"));
        EXPECT_EQ(m.frameGeometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(m.frameGeometry().width(), screenWidth);
        // The toolbar strip is the client area below the menu bar.
        EXPECT_EQ(m.centralWidget()->height(), 57);
        EXPECT_EQ(m.centralWidget()->width(), m.width());
        EXPECT_EQ(m.centralWidget()->y(), m.menuBar()->geometry().bottom() + 1);
        EXPECT_EQ(m.height(), m.menuBar()->height() + 57);
        EXPECT_EQ(m.minimumSize(), m.maximumSize());
        EXPECT_FALSE(m.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(m.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(m.windowFlags() & Qt::WindowSystemMenuHint);
    }
}

TEST(StartUp, ToolbarStripIsNavyAndTheFontIsTheLayoutGothic) {
    TestApp t;
    t->start();
    TMainWindow& m = *t->MainWindow;
    const QImage strip = m.centralWidget()->grab().toImage();
    // Right of the last button column and in the gaps between the buttons.
    for (const QPoint p : {QPoint(400, 20), QPoint(2, 2), QPoint(29, 29), QPoint(300, 56)}) {
        EXPECT_EQ(QColor(strip.pixel(p)), QColor(0, 0, 128)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(m.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(m.font().pixelSize(), 12);
    EXPECT_EQ(m.K1->font(), m.font());
    EXPECT_EQ(m.PenButton1->font(), m.font());
}

TEST(StartUp, TheSixWindowsExistAndOnlyTheMainWindowIsShown) {
    TestApp t;
    EXPECT_FALSE(t->MainWindow->isVisible());
    t->start();
    EXPECT_TRUE(t->MainWindow->isVisible());
    const std::pair<const char*, QWidget*> others[] = {
        {"TitleWindow", t->TitleWindow.get()},     {"MapChipWindow", t->MapChipWindow.get()},
        {"StartUpWindow", t->StartUpWindow.get()}, {"MapWindow", t->MapWindow.get()},
        {"StampWindow", t->StampWindow.get()},
    };
    for (const auto& [name, window] : others) {
        ASSERT_NE(window, nullptr) << name;
        EXPECT_TRUE(window->isWindow()) << name;
        EXPECT_FALSE(window->isVisible()) << name;
    }
}

TEST(StartUp, ColourDepthWarningOnlyOffSixteenBitsOnceBeforeTheMainWindowShows) {
    const std::pair<int, int> cases[] = {{8, 1}, {16, 0}, {24, 1}, {32, 1}};
    for (const auto& [depth, warnings] : cases) {
        SCOPED_TRACE(depth);
        ScreenMetrics screen = testScreen();
        screen.bitsPerPixel = depth;
        TestApp t(screen);
        // The warning comes while the windows are being created, before anything is shown.
        ASSERT_EQ(int(t.dialogs.messages.size()), warnings);
        EXPECT_FALSE(t->MainWindow->isVisible());
        if (warnings) {
            const MessageCall& call = t.dialogs.messages.front();
            EXPECT_EQ(call.text, DepthWarning);
            EXPECT_EQ(call.caption, QStringLiteral("警告"));
            EXPECT_EQ(call.buttons, MessageButtons::Ok);
            EXPECT_EQ(call.owner, t->MainWindow.get());
        }
        // Start-up goes on as usual and never warns again.
        t->start();
        t->MainWindow->Timer1Timer();
        t->MainWindow->Timer2Timer();
        EXPECT_EQ(int(t.dialogs.messages.size()), warnings);
        EXPECT_TRUE(t->MainWindow->isVisible());
        EXPECT_TRUE(t->MainWindow->NewButton->isEnabled());
    }
}

TEST(StartUp, FormCreateClearsTheStampBanksAndStartsOnlyTimer1) {
    TestApp t;
    TMainWindow& m = *t->MainWindow;
    EXPECT_TRUE(m.Timer1->isActive());
    EXPECT_EQ(m.Timer1->interval(), 1000);
    EXPECT_FALSE(m.Timer2->isActive());
    EXPECT_EQ(m.Timer2->interval(), 5000);

    t.state().StampBanks.fill(7);
    m.Timer1->stop();
    m.FormCreate();
    for (const std::int32_t cell : t.state().StampBanks)
        ASSERT_EQ(cell, 0);
    EXPECT_TRUE(m.Timer1->isActive());
}

struct PlacementCase {
    int screenWidth, screenHeight;
    QPoint splash; // (w div 2 - 318 div 2, h div 2 - 127 div 2)
};

TEST(StartUp, Timer1CentresTheSplashAndPlacesTheWindowsBelowTheMainWindow) {
    const PlacementCase cases[] = {
        {1280, 1024, {481, 449}},
        {1023, 767, {352, 320}},
        {640, 480, {161, 177}},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.screenWidth);
        ScreenMetrics screen = testScreen();
        screen.width = c.screenWidth;
        screen.height = c.screenHeight;
        TestApp t(screen);
        t->start();
        TMainWindow& m = *t->MainWindow;
        m.Timer1Timer();

        EXPECT_TRUE(t->TitleWindow->isVisible());
        EXPECT_EQ(t->TitleWindow->frameGeometry().topLeft(), c.splash);
        // Below the whole main window: title bar and menu bar included.
        const int below = m.frameGeometry().bottom() + 1;
        EXPECT_GT(below, m.menuBar()->height() + 57);
        EXPECT_EQ(t->StartUpWindow->frameGeometry().topLeft(), QPoint(0, below));
        EXPECT_EQ(t->MapChipWindow->frameGeometry().topLeft(),
                  QPoint(t->StartUpWindow->frameGeometry().width(), below));
        EXPECT_EQ(t->MapWindow->frameGeometry().topLeft(), QPoint(0, below));
        // Placing does not show them.
        EXPECT_FALSE(t->StartUpWindow->isVisible());
        EXPECT_FALSE(t->MapChipWindow->isVisible());
        EXPECT_FALSE(t->MapWindow->isVisible());
        EXPECT_TRUE(m.Timer1->isActive());
        EXPECT_TRUE(m.Timer2->isActive());
    }
}

TEST(StartUp, Timer1KeepsThePaletteBesideAMapSetUpMeanwhile) {
    TestApp t;
    t->start();
    t->StartUpWindow->showDialog();
    t.dialogs.chooseFile(writeSheetBmp(t.path(QStringLiteral("s.bmp")), 64, 64));
    t->StartUpWindow->Button2Click();
    t->StartUpWindow->Button1Click();
    t->MainWindow->Timer1Timer();
    const QRect map = t->MapWindow->frameGeometry();
    EXPECT_EQ(t->MapChipWindow->frameGeometry().topLeft(), QPoint(map.right() + 1, map.top()));
}

TEST(StartUp, LaterTimer1TicksDoNotPutOffTheSplashsEnd) {
    TestApp t;
    t->start();
    TMainWindow& m = *t->MainWindow;
    // A coarse timer reports its remaining time with up to 5 % slack; a precise one does not.
    m.Timer2->setTimerType(Qt::PreciseTimer);
    m.Timer1Timer();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    m.Timer1Timer();
    // Restarting would put the remaining time back to the full 5000 ms.
    EXPECT_TRUE(m.Timer2->isActive());
    EXPECT_LE(m.Timer2->remainingTime(), 5000 - 90);
}

TEST(StartUp, Timer2HidesTheSplashAndStopsBothTimersForGood) {
    TestApp t;
    t->start();
    TMainWindow& m = *t->MainWindow;
    m.Timer1Timer();
    ASSERT_TRUE(t->TitleWindow->isVisible());
    m.Timer2Timer();
    EXPECT_FALSE(t->TitleWindow->isVisible());
    EXPECT_FALSE(m.Timer1->isActive());
    EXPECT_FALSE(m.Timer2->isActive());
    EXPECT_TRUE(m.isVisible());
    // Hidden also when the user has opened the new-map dialog meanwhile.
    TestApp u;
    u->start();
    u->MainWindow->Timer1Timer();
    u->StartUpWindow->show();
    u->MainWindow->Timer2Timer();
    EXPECT_FALSE(u->TitleWindow->isVisible());
    EXPECT_TRUE(u->StartUpWindow->isVisible());
}

TEST(StartUp, TheTimersRunTheSplashInTheMessageLoop) {
    TestApp t;
    t->start();
    TMainWindow& m = *t->MainWindow;
    // The same wiring with short intervals, so the loop can be watched without waiting 6 s.
    m.Timer1->setInterval(20);
    m.Timer2->setInterval(200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return t->TitleWindow->isVisible(); }, 2000));
    EXPECT_TRUE(m.Timer2->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m.Timer2->isActive(); }, 3000));
    EXPECT_FALSE(t->TitleWindow->isVisible());
    EXPECT_FALSE(m.Timer1->isActive());
}

} // namespace
} // namespace tilora::test
