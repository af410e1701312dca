#pragma once
// The main window: the menu bar and the two-row toolbar strip across the top of the screen, and
// the file, tool and view commands behind them.

#include "core/CommandStates.h"
#include "core/SaveQuestion.h"
#include "core/UndoHistory.h"
#include "platform/Dialogs.h"
#include "shell/MapClipboard.h"

#include <QCoreApplication>
#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QPushButton;
class QTimer;

namespace tilora {

class Application;
struct LoadedMap;
struct LoadRefusal;

class TMainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit TMainWindow(Application& app);
    ~TMainWindow() override;

    // Toolbar.
    QPushButton* NewButton = nullptr;
    QPushButton* OverWriteSaveButton = nullptr;
    QPushButton* OpenButton = nullptr;
    QPushButton* NameSaveButton = nullptr;
    QPushButton* ChipShowButton = nullptr;
    QPushButton* MapShowButton = nullptr;
    QPushButton* ZoomInButton = nullptr;
    QPushButton* ZoomOutButton = nullptr;
    QPushButton* PenButton1 = nullptr;
    QPushButton* PenButton2 = nullptr;
    QPushButton* PenButton3 = nullptr;
    QPushButton* PenButton4 = nullptr;
    QPushButton* StampButton = nullptr;
    QPushButton* SEButton = nullptr;

    // Menus and their items.
    QMenu* K1 = nullptr; // "ファイル"
    QMenu* K3 = nullptr; // "編集"
    QMenu* K4 = nullptr; // "表示"
    QMenu* K2 = nullptr; // "ヘルプ"
    QAction* NewFile = nullptr;
    QAction* LoadFile = nullptr;
    QAction* Save = nullptr;
    QAction* NameSave = nullptr;
    QAction* CloseFile = nullptr;
    QAction* ExitApp = nullptr;
    QAction* MapChipWindow1 = nullptr;  // checkable
    QAction* MapWindow1 = nullptr;      // checkable
    QAction* OverviewWindow1 = nullptr; // "全体図", checkable, key O
    QAction* Grid1 = nullptr;           // "グリッド", checkable, key G
    QAction* StatusLine1 = nullptr;     // "ステータスバー", checkable
    QAction* Help1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Undo1 = nullptr; // "元に戻す"
    QAction* Redo1 = nullptr; // "やり直し"
    QAction* Fill1 = nullptr; // "塗りつぶし"
    // The editing tools and the commands on the selection, each with its key.
    QAction* Select1 = nullptr;       // "範囲選択", S
    QAction* SelectAll1 = nullptr;    // "すべて選択", Ctrl+A
    QAction* Cut1 = nullptr;          // "切り取り", Ctrl+X
    QAction* Copy1 = nullptr;         // "コピー", Ctrl+C
    QAction* Paste1 = nullptr;        // "貼り付け", Ctrl+V
    QAction* PasteInPlace1 = nullptr; // "元の位置に貼り付け", Ctrl+Shift+V
    QAction* Delete1 = nullptr;       // "削除", Delete
    QAction* Capture1 = nullptr;      // "スタンプに取り込む", Ctrl+Shift+C
    QAction* Rectangle1 = nullptr;    // "四角形", R
    QAction* Line1 = nullptr;         // "直線", L

    // Keys with no menu item of their own, working in every editor window: Ctrl+S where the
    // menu item "上書き保存" (which has the key) is disabled and "名前をつけて保存" is not, "+"
    // and "-" (the zoom buttons), Esc (ends a drag; else drops the armed tool and the
    // selection).
    QAction* SaveKey = nullptr;
    QAction* ZoomInKey = nullptr;
    QAction* ZoomOutKey = nullptr;
    QAction* DisarmKey = nullptr;

    // The shared file dialogs. The save dialog opens on the map's file name (the document's
    // CurrentFileName).
    FileDialog OpenDialog1{FileDialog::Kind::Open};
    FileDialog SaveDialog1{FileDialog::Kind::Save};

    // A map named on the command line: loaded, as if chosen in the open dialog, right after the
    // first placement of the windows at start-up.
    QString MapToOpenAtStart;

    QTimer* Timer1 = nullptr; // 1000 ms, disabled at start
    QTimer* Timer2 = nullptr; // 5000 ms, disabled at start

    // --- start-up (TMainWindow.cpp)
    void FormCreate();
    void Timer1Timer();
    void Timer2Timer();
    // Outer width = the screen's width, height = menu bar + toolbar strip, fixed.
    void fitToScreen();

    // --- file commands (FileCommands.cpp)
    // Returns true when cancelled. Cancel, or the question dismissed with Esc or its close
    // button, cancels in every mode (loading and leaving offer only Yes and No); so does a Yes
    // whose save did not happen (dialog cancelled, name refused, write failed), so unsaved work
    // is never dropped without an explicit No. A new map that goes on returns to the state
    // without a map.
    bool AskToSave(AskMode mode);
    // Each returns true when the map was written (or loaded).
    bool SaveMapAs();
    bool SaveMap();
    bool LoadMap();
    // LoadMap from the point where a file has been chosen. Not the open dialog's own name: the
    // sheet chooser reuses that dialog for a map whose sheet is missing. A Tiled map (TMX or
    // JSON, plain or gzip) is opened through OpenTiledMap.
    bool LoadChosenMap(const QString& chosen);
    // A Tiled map imported as tilora-cli imports it, shown as a map with no file name (modified);
    // the first save asks where.
    bool OpenTiledMap(const QString& chosen);
    void NewButtonClick(); // also the menu item NewFile
    void OpenButtonClick();
    void LoadFileClick();
    void SaveClick();           // OverWriteSaveButton and the menu item Save
    void NameSaveButtonClick(); // also the menu item NameSave
    void CloseFileClick();
    void ExitAppClick();
    // The close box; returns true when the program may end.
    bool FormCloseQuery();
    // Ends the message loop once leaving is allowed; tests put a recorder in its place.
    std::function<void(int)> exitProgram = [](int code) { QCoreApplication::exit(code); };

    // --- tool and view commands (ToolCommands.cpp)
    void PenButtonClick(int k); // k = 1..4
    void StampButtonClick();
    void SEButtonClick();
    void ZoomInButtonClick();
    void ZoomOutButtonClick();
    void ToggleChipWindow(); // ChipShowButton and the menu item MapChipWindow1
    void ToggleMapWindow();  // MapShowButton and the menu item MapWindow1
    // The view menu's own marks, each remembered across runs.
    void OverviewWindow1Click();
    void Grid1Click();
    void StatusLine1Click();
    void Help1Click();
    void About1Click();

    // --- edit commands (EditCommands.cpp)
    void Undo1Click();
    void Redo1Click();
    void Fill1Click();
    void DisarmKeyClick();
    // --- the editing tools and the commands on the selection (EditCommands.cpp)
    void Select1Click();
    void SelectAll1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void PasteInPlace1Click();
    void Delete1Click();
    void Capture1Click();
    void Rectangle1Click();
    void Line1Click();

    // The one place the commands' controls take their states: every toolbar button, menu item
    // and key of a command, enabled and checked as core/CommandStates decided.
    void applyCommandStates(const CommandStates& states);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildToolbar();
    void buildMenus();
    void buildKeys();
    void connectCommands();
    // After an undo or a redo: the view redrawn where it shows a changed cell.
    void afterHistoryMove(const CellArea& changed);
    // The load's steps around the pipeline (FileCommands.cpp): the question and the chooser for
    // a sheet that is not found (the file chosen instead, or nothing), a refusal told, and a map
    // that loaded taken into the document and shown.
    std::optional<QString> askForSheet(const std::string& written);
    void reportLoadRefusal(const LoadRefusal& refusal, const QString& chosen);
    void showLoadedMap(LoadedMap loaded);
    // After an edit of the selection's commands: the view redrawn when cells changed, the
    // outline shown, the commands' states brought up to date.
    void afterEdit(int changed);
    // A tool of the 編集 menu armed, when its item is enabled.
    template <class Tool> void armFromMenu(const QAction* item);
    // The block on the clipboard, or nothing after saying why there is none; says too when it
    // was copied from a map drawn with another sheet.
    std::optional<ClipboardBlock> takeClipboardBlock();

    Application& app_;
};

} // namespace tilora
