#include "shell/TMainWindow.h"

#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/Fonts.h"
#include "platform/Layout.h"
#include "platform/UiText.h"
#include "shell/Application.h"
#include "shell/ButtonPictures.h"
#include "shell/TTitleWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace tilora {

namespace {

// The toolbar strip below the menu bar.
constexpr int ClientHeight = 57;

struct ButtonLayout {
    QPushButton* TMainWindow::*member;
    int left, top, width, height;
    const char* hint;
    const char* caption; // nullptr: picture only
    ButtonPicture picture;
};

// The toolbar as laid out: two rows, top edges 4 and 30. The enabled states come from
// core/CommandStates, applied as the window is made and whenever they change.
const ButtonLayout kButtons[] = {
    {&TMainWindow::NewButton, 4, 4, 25, 25, QT_TRANSLATE_NOOP("tilora", "マップ新規作成"), nullptr,
     ButtonPicture::New},
    {&TMainWindow::OverWriteSaveButton, 4, 30, 25, 25, QT_TRANSLATE_NOOP("tilora", "上書き保存"),
     nullptr, ButtonPicture::Save},
    {&TMainWindow::OpenButton, 30, 4, 25, 25, QT_TRANSLATE_NOOP("tilora", "マップ読み込み"),
     nullptr, ButtonPicture::Open},
    {&TMainWindow::NameSaveButton, 30, 30, 25, 25, QT_TRANSLATE_NOOP("tilora", "名前をつけて保存"),
     nullptr, ButtonPicture::SaveAs},
    {&TMainWindow::ChipShowButton, 56, 4, 25, 25,
     QT_TRANSLATE_NOOP("tilora", "チップウィンドウの表示／非表示"), nullptr,
     ButtonPicture::ChipWindow},
    {&TMainWindow::MapShowButton, 56, 30, 25, 25,
     QT_TRANSLATE_NOOP("tilora", "マップウィンドウの表示／非表示"), nullptr,
     ButtonPicture::MapWindow},
    {&TMainWindow::ZoomInButton, 82, 4, 25, 25, QT_TRANSLATE_NOOP("tilora", "拡大表示"), nullptr,
     ButtonPicture::ZoomIn},
    {&TMainWindow::ZoomOutButton, 82, 30, 25, 25, QT_TRANSLATE_NOOP("tilora", "縮小表示"), nullptr,
     ButtonPicture::ZoomOut},
    {&TMainWindow::PenButton1, 108, 4, 50, 25, QT_TRANSLATE_NOOP("tilora", "標準サイズ"), "×1",
     ButtonPicture::Pen1},
    {&TMainWindow::PenButton2, 108, 30, 50, 25, QT_TRANSLATE_NOOP("tilora", "縦横２倍サイズ"), "×2",
     ButtonPicture::Pen2},
    {&TMainWindow::PenButton3, 159, 4, 50, 25, QT_TRANSLATE_NOOP("tilora", "縦横４倍サイズ"), "×4",
     ButtonPicture::Pen4},
    {&TMainWindow::PenButton4, 159, 30, 50, 25, QT_TRANSLATE_NOOP("tilora", "縦横８倍サイズ"), "×8",
     ButtonPicture::Pen8},
    {&TMainWindow::StampButton, 210, 4, 25, 25,
     QT_TRANSLATE_NOOP("tilora", "スタンプエディタで選択されているスタンプを使用"), nullptr,
     ButtonPicture::Stamp},
    {&TMainWindow::SEButton, 210, 30, 25, 25,
     QT_TRANSLATE_NOOP("tilora", "スタンプエディターの表示"), "SE", ButtonPicture::None},
};

struct MenuItemLayout {
    QAction* TMainWindow::*member;
    int menu; // 0 "ファイル", 1 "表示", 2 "ヘルプ", 3 "編集"
    const char* caption;
    bool checkable;
    const char* keys = nullptr; // shortcuts, "; "-separated
};

const MenuItemLayout kMenuItems[] = {
    {&TMainWindow::NewFile, 0, QT_TRANSLATE_NOOP("tilora", "マップ新規作成"), false, "Ctrl+N"},
    {&TMainWindow::LoadFile, 0, QT_TRANSLATE_NOOP("tilora", "マップの読み込み"), false, "Ctrl+O"},
    {&TMainWindow::Save, 0, QT_TRANSLATE_NOOP("tilora", "上書き保存"), false, "Ctrl+S"},
    {&TMainWindow::NameSave, 0, QT_TRANSLATE_NOOP("tilora", "名前をつけて保存"), false,
     "Ctrl+Shift+S"},
    {&TMainWindow::CloseFile, 0, QT_TRANSLATE_NOOP("tilora", "閉じる"), false, "Ctrl+W"},
    {&TMainWindow::ExitApp, 0, QT_TRANSLATE_NOOP("tilora", "終了"), false, "Ctrl+Q"},
    {&TMainWindow::Undo1, 3, QT_TRANSLATE_NOOP("tilora", "元に戻す"), false, "Ctrl+Z"},
    {&TMainWindow::Redo1, 3, QT_TRANSLATE_NOOP("tilora", "やり直し"), false,
     "Ctrl+Y; Ctrl+Shift+Z"},
    {&TMainWindow::Fill1, 3, QT_TRANSLATE_NOOP("tilora", "塗りつぶし"), false, "F"},
    {&TMainWindow::Select1, 3, QT_TRANSLATE_NOOP("tilora", "範囲選択"), false, "S"},
    {&TMainWindow::SelectAll1, 3, QT_TRANSLATE_NOOP("tilora", "すべて選択"), false, "Ctrl+A"},
    {&TMainWindow::Cut1, 3, QT_TRANSLATE_NOOP("tilora", "切り取り"), false, "Ctrl+X"},
    {&TMainWindow::Copy1, 3, QT_TRANSLATE_NOOP("tilora", "コピー"), false, "Ctrl+C"},
    {&TMainWindow::Paste1, 3, QT_TRANSLATE_NOOP("tilora", "貼り付け"), false, "Ctrl+V"},
    {&TMainWindow::PasteInPlace1, 3, QT_TRANSLATE_NOOP("tilora", "元の位置に貼り付け"), false,
     "Ctrl+Shift+V"},
    {&TMainWindow::Delete1, 3, QT_TRANSLATE_NOOP("tilora", "削除"), false, "Del"},
    {&TMainWindow::Capture1, 3, QT_TRANSLATE_NOOP("tilora", "スタンプに取り込む"), false,
     "Ctrl+Shift+C"},
    {&TMainWindow::Rectangle1, 3, QT_TRANSLATE_NOOP("tilora", "四角形"), false, "R"},
    {&TMainWindow::Line1, 3, QT_TRANSLATE_NOOP("tilora", "直線"), false, "L"},
    {&TMainWindow::MapChipWindow1, 1, QT_TRANSLATE_NOOP("tilora", "チップウィンドウ"), true},
    {&TMainWindow::MapWindow1, 1, QT_TRANSLATE_NOOP("tilora", "マップウィンドウ"), true},
    {&TMainWindow::OverviewWindow1, 1, QT_TRANSLATE_NOOP("tilora", "全体図"), true, "O"},
    {&TMainWindow::Grid1, 1, QT_TRANSLATE_NOOP("tilora", "グリッド"), true, "G"},
    {&TMainWindow::StatusLine1, 1, QT_TRANSLATE_NOOP("tilora", "ステータスバー"), true},
    {&TMainWindow::Help1, 2, QT_TRANSLATE_NOOP("tilora", "ヘルプ"), false, "F1"},
    {&TMainWindow::About1, 2, QT_TRANSLATE_NOOP("tilora", "ﾊﾞｰｼﾞｮﾝ情報"), false},
};

struct KeyLayout {
    QAction* TMainWindow::*member;
    const char* keys;
};

const KeyLayout kKeys[] = {
    {&TMainWindow::SaveKey, "Ctrl+S"},
    {&TMainWindow::ZoomInKey, "+"},
    {&TMainWindow::ZoomOutKey, "-"},
    {&TMainWindow::DisarmKey, "Esc"},
};

// Which controls show each command's state: a toolbar button, a menu item, a key, as it has them.
struct CommandControls {
    Command command;
    QPushButton* TMainWindow::*button;
    QAction* TMainWindow::*item;
    QAction* TMainWindow::*key;
};

const CommandControls kCommandControls[] = {
    {Command::NewMap, &TMainWindow::NewButton, &TMainWindow::NewFile, nullptr},
    {Command::OpenMap, &TMainWindow::OpenButton, nullptr, nullptr},
    {Command::LoadMap, nullptr, &TMainWindow::LoadFile, nullptr},
    {Command::Save, &TMainWindow::OverWriteSaveButton, &TMainWindow::Save, nullptr},
    {Command::SaveAs, &TMainWindow::NameSaveButton, &TMainWindow::NameSave, nullptr},
    {Command::SaveKey, nullptr, nullptr, &TMainWindow::SaveKey},
    {Command::CloseMap, nullptr, &TMainWindow::CloseFile, nullptr},
    {Command::Exit, nullptr, &TMainWindow::ExitApp, nullptr},
    {Command::ChipWindowItem, nullptr, &TMainWindow::MapChipWindow1, nullptr},
    {Command::ChipWindowButton, &TMainWindow::ChipShowButton, nullptr, nullptr},
    {Command::MapWindowItem, nullptr, &TMainWindow::MapWindow1, nullptr},
    {Command::MapWindowButton, &TMainWindow::MapShowButton, nullptr, nullptr},
    {Command::Overview, nullptr, &TMainWindow::OverviewWindow1, nullptr},
    {Command::Grid, nullptr, &TMainWindow::Grid1, nullptr},
    {Command::StatusLine, nullptr, &TMainWindow::StatusLine1, nullptr},
    {Command::ZoomIn, &TMainWindow::ZoomInButton, nullptr, &TMainWindow::ZoomInKey},
    {Command::ZoomOut, &TMainWindow::ZoomOutButton, nullptr, &TMainWindow::ZoomOutKey},
    {Command::Pen1, &TMainWindow::PenButton1, nullptr, nullptr},
    {Command::Pen2, &TMainWindow::PenButton2, nullptr, nullptr},
    {Command::Pen3, &TMainWindow::PenButton3, nullptr, nullptr},
    {Command::Pen4, &TMainWindow::PenButton4, nullptr, nullptr},
    {Command::Stamp, &TMainWindow::StampButton, nullptr, nullptr},
    {Command::StampEditor, &TMainWindow::SEButton, nullptr, nullptr},
    {Command::Undo, nullptr, &TMainWindow::Undo1, nullptr},
    {Command::Redo, nullptr, &TMainWindow::Redo1, nullptr},
    {Command::Fill, nullptr, &TMainWindow::Fill1, nullptr},
    {Command::Select, nullptr, &TMainWindow::Select1, nullptr},
    {Command::SelectAll, nullptr, &TMainWindow::SelectAll1, nullptr},
    {Command::Cut, nullptr, &TMainWindow::Cut1, nullptr},
    {Command::Copy, nullptr, &TMainWindow::Copy1, nullptr},
    {Command::Paste, nullptr, &TMainWindow::Paste1, nullptr},
    {Command::PasteInPlace, nullptr, &TMainWindow::PasteInPlace1, nullptr},
    {Command::Delete, nullptr, &TMainWindow::Delete1, nullptr},
    {Command::Capture, nullptr, &TMainWindow::Capture1, nullptr},
    {Command::Rectangle, nullptr, &TMainWindow::Rectangle1, nullptr},
    {Command::Line, nullptr, &TMainWindow::Line1, nullptr},
    {Command::Disarm, nullptr, nullptr, &TMainWindow::DisarmKey},
    {Command::Help, nullptr, &TMainWindow::Help1, nullptr},
    {Command::About, nullptr, &TMainWindow::About1, nullptr},
};

// A key works in whichever editor window is active; a text field that uses the key itself
// (typing, its own undo) keeps it, and a modal box blocks it.
void setKeys(QAction* action, const char* keys) {
    action->setShortcuts(QKeySequence::listFromString(QString::fromUtf8(keys)));
    action->setShortcutContext(Qt::ApplicationShortcut);
}

// Keeps the main window's outer width equal to the screen's once the window system has framed
// it: the frame is only known after the window is first shown.
class FrameFit : public QObject {
  public:
    explicit FrameFit(TMainWindow* window) : QObject(window), window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show) window_->fitToScreen();
        return false;
    }

  private:
    TMainWindow* window_;
};

} // namespace

TMainWindow::TMainWindow(Application& app) : QMainWindow(nullptr), app_(app) {
    // Single-line border, system menu and minimise box, no maximise box; the fixed size set in
    // fitToScreen keeps the border from resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Tilora ver1.0"));
    setWindowIcon(applicationIcon());
    setFont(layoutFont(PGothic, 12));
    buildMenus();
    buildToolbar();
    buildKeys();
    installEventFilter(new FrameFit(this));

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(5000);

    connectCommands();
    // The states the commands start with: nothing done yet, no map.
    applyCommandStates(commandStates(CommandMemory{}, EditorFacts{}));
    FormCreate();
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::buildMenus() {
    K1 = menuBar()->addMenu(uiText(QT_TRANSLATE_NOOP("tilora", "ファイル")));
    K3 = menuBar()->addMenu(uiText(QT_TRANSLATE_NOOP("tilora", "編集")));
    K4 = menuBar()->addMenu(uiText(QT_TRANSLATE_NOOP("tilora", "表示")));
    K2 = menuBar()->addMenu(uiText(QT_TRANSLATE_NOOP("tilora", "ヘルプ")));
    QMenu* menus[] = {K1, K4, K2, K3};
    // Drop-down menus are windows of their own and do not inherit the main window's font.
    for (QMenu* menu : menus)
        menu->setFont(font());
    for (const MenuItemLayout& item : kMenuItems) {
        QAction* action = menus[item.menu]->addAction(uiText(item.caption));
        action->setCheckable(item.checkable);
        if (item.keys) setKeys(action, item.keys);
        this->*item.member = action;
    }
}

void TMainWindow::buildKeys() {
    for (const KeyLayout& key : kKeys) {
        auto* action = new QAction(this);
        setKeys(action, key.keys);
        addAction(action);
        this->*key.member = action;
    }
}

void TMainWindow::buildToolbar() {
    auto* strip = new QWidget(this);
    strip->setAutoFillBackground(true);
    QPalette navy = strip->palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    strip->setPalette(navy);
    strip->setFixedHeight(ClientHeight);
    setCentralWidget(strip);

    for (const ButtonLayout& b : kButtons) {
        auto* button = new QPushButton(strip);
        button->setGeometry(b.left, b.top, b.width, b.height);
        button->setToolTip(uiText(b.hint));
        button->setFocusPolicy(Qt::NoFocus);
        if (b.caption) button->setText(QString::fromUtf8(b.caption));
        if (b.picture != ButtonPicture::None) {
            button->setIcon(buttonIcon(b.picture));
            button->setIconSize(QSize(16, 16));
        }
        this->*b.member = button;
    }
}

void TMainWindow::connectCommands() {
    connect(Timer1, &QTimer::timeout, this, &TMainWindow::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TMainWindow::Timer2Timer);

    // Any command ends the undo step in progress, connected first so that it runs before the
    // command itself: a continuous-painting run goes on, but its later cells form a new step. A
    // command in the first second, before the start-up placement, has copies left by an editor
    // that ended without saving offered first.
    const auto endStep = [this] {
        app_.offerRecovery();
        app_.State.History.closeStep();
    };
    for (const ButtonLayout& b : kButtons)
        connect(this->*b.member, &QPushButton::clicked, this, endStep);
    for (const MenuItemLayout& item : kMenuItems)
        connect(this->*item.member, &QAction::triggered, this, endStep);
    for (const KeyLayout& key : kKeys)
        connect(this->*key.member, &QAction::triggered, this, endStep);

    connect(NewButton, &QPushButton::clicked, this, &TMainWindow::NewButtonClick);
    connect(NewFile, &QAction::triggered, this, &TMainWindow::NewButtonClick);
    connect(OpenButton, &QPushButton::clicked, this, &TMainWindow::OpenButtonClick);
    connect(LoadFile, &QAction::triggered, this, &TMainWindow::LoadFileClick);
    connect(OverWriteSaveButton, &QPushButton::clicked, this, &TMainWindow::SaveClick);
    connect(Save, &QAction::triggered, this, &TMainWindow::SaveClick);
    connect(NameSaveButton, &QPushButton::clicked, this, &TMainWindow::NameSaveButtonClick);
    connect(NameSave, &QAction::triggered, this, &TMainWindow::NameSaveButtonClick);
    connect(CloseFile, &QAction::triggered, this, &TMainWindow::CloseFileClick);
    connect(ExitApp, &QAction::triggered, this, &TMainWindow::ExitAppClick);

    connect(PenButton1, &QPushButton::clicked, this, [this] { PenButtonClick(1); });
    connect(PenButton2, &QPushButton::clicked, this, [this] { PenButtonClick(2); });
    connect(PenButton3, &QPushButton::clicked, this, [this] { PenButtonClick(3); });
    connect(PenButton4, &QPushButton::clicked, this, [this] { PenButtonClick(4); });
    connect(StampButton, &QPushButton::clicked, this, &TMainWindow::StampButtonClick);
    connect(SEButton, &QPushButton::clicked, this, &TMainWindow::SEButtonClick);
    connect(ZoomInButton, &QPushButton::clicked, this, &TMainWindow::ZoomInButtonClick);
    connect(ZoomOutButton, &QPushButton::clicked, this, &TMainWindow::ZoomOutButtonClick);
    connect(ChipShowButton, &QPushButton::clicked, this, &TMainWindow::ToggleChipWindow);
    connect(MapChipWindow1, &QAction::triggered, this, &TMainWindow::ToggleChipWindow);
    connect(MapShowButton, &QPushButton::clicked, this, &TMainWindow::ToggleMapWindow);
    connect(MapWindow1, &QAction::triggered, this, &TMainWindow::ToggleMapWindow);
    connect(OverviewWindow1, &QAction::triggered, this, &TMainWindow::OverviewWindow1Click);
    connect(Grid1, &QAction::triggered, this, &TMainWindow::Grid1Click);
    connect(StatusLine1, &QAction::triggered, this, &TMainWindow::StatusLine1Click);
    connect(Help1, &QAction::triggered, this, &TMainWindow::Help1Click);
    connect(About1, &QAction::triggered, this, &TMainWindow::About1Click);

    connect(Undo1, &QAction::triggered, this, &TMainWindow::Undo1Click);
    connect(Redo1, &QAction::triggered, this, &TMainWindow::Redo1Click);
    connect(Fill1, &QAction::triggered, this, &TMainWindow::Fill1Click);
    connect(Select1, &QAction::triggered, this, &TMainWindow::Select1Click);
    connect(SelectAll1, &QAction::triggered, this, &TMainWindow::SelectAll1Click);
    connect(Cut1, &QAction::triggered, this, &TMainWindow::Cut1Click);
    connect(Copy1, &QAction::triggered, this, &TMainWindow::Copy1Click);
    connect(Paste1, &QAction::triggered, this, &TMainWindow::Paste1Click);
    connect(PasteInPlace1, &QAction::triggered, this, &TMainWindow::PasteInPlace1Click);
    connect(Delete1, &QAction::triggered, this, &TMainWindow::Delete1Click);
    connect(Capture1, &QAction::triggered, this, &TMainWindow::Capture1Click);
    connect(Rectangle1, &QAction::triggered, this, &TMainWindow::Rectangle1Click);
    connect(Line1, &QAction::triggered, this, &TMainWindow::Line1Click);
    connect(SaveKey, &QAction::triggered, this, &TMainWindow::NameSaveButtonClick);
    connect(ZoomInKey, &QAction::triggered, ZoomInButton, &QPushButton::click);
    connect(ZoomOutKey, &QAction::triggered, ZoomOutButton, &QPushButton::click);
    connect(DisarmKey, &QAction::triggered, this, &TMainWindow::DisarmKeyClick);
}

void TMainWindow::FormCreate() {
    app_.State.clearStampBanks();
    move(0, 0);
    fitToScreen();
    if (app_.Screen.bitsPerPixel != 16) {
        app_.dialogs.messageBox(
            this,
            uiText(QT_TRANSLATE_NOOP(
                "tilora", "このソフトウェアは16BitsColorのみサポートしております\n"
                          "他のBitsColorで実行すると色の表示、拡大縮小速度に異常をきたします。")),
            uiText(QT_TRANSLATE_NOOP("tilora", "警告")), MessageButtons::Ok);
    }
    Timer1->start();
}

void TMainWindow::fitToScreen() {
    // The width is the outer width: the screen's width less what the frame adds at the sides
    // (nothing until the window system has put a frame round it). The height is the menu bar
    // plus the toolbar strip.
    const int frameExtra = frameGeometry().width() - geometry().width();
    setFixedSize(app_.Screen.width - frameExtra, menuBar()->sizeHint().height() + ClientHeight);
}

void TMainWindow::applyCommandStates(const CommandStates& states) {
    for (const CommandControls& c : kCommandControls) {
        const CommandState state = states[c.command];
        if (c.button) (this->*c.button)->setEnabled(state.enabled);
        for (QAction* TMainWindow::*action : {c.item, c.key}) {
            if (!action) continue;
            QAction* a = this->*action;
            a->setEnabled(state.enabled);
            if (a->isCheckable()) a->setChecked(state.checked);
        }
    }
}

void TMainWindow::Timer1Timer() {
    const QSize title = app_.TitleWindow->frameGeometry().size();
    app_.TitleWindow->move(app_.Screen.width / 2 - title.width() / 2,
                           app_.Screen.height / 2 - title.height() / 2);
    app_.TitleWindow->show();
    // The other windows go right below the main window's full height (title bar, menu bar and
    // toolbar).
    const int below = outerHeight(*this);
    app_.StartUpWindow->move(0, below);
    app_.MapWindow->move(0, below);
    // The palette sits beside whichever window it works with: the new-map dialog until a map is
    // set up, the map window once one is shown (a map set up within the first seconds must not
    // have its palette pushed back under the map window).
    QWidget* beside = app_.StartUpWindow.get();
    if (app_.MapWindow->isVisible()) beside = app_.MapWindow.get();
    app_.MapChipWindow->move(beside->x() + outerWidth(*beside), below);
    // Starting a running QTimer would restart its interval; the splash must go 5 s after the
    // first tick, not after the last one.
    if (Timer2->isActive()) return;
    Timer2->start();
    // The first tick: the splash is up and the windows are in place; unsaved maps of an editor
    // that ended abnormally are offered back, then the map named on the command line opens.
    app_.offerRecovery();
    if (!MapToOpenAtStart.isEmpty()) {
        const QString path = std::exchange(MapToOpenAtStart, QString());
        OpenDialog1.FileName = path;
        LoadChosenMap(path);
    }
}

void TMainWindow::Timer2Timer() {
    app_.TitleWindow->hide();
    Timer1->stop();
    Timer2->stop();
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        event->accept();
        exitProgram(0);
    } else {
        event->ignore();
    }
}

} // namespace tilora
