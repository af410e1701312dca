#pragma once
// The enabled and checked state of every command (the main window's toolbar buttons, menu items
// and keys, and the new-map dialog's confirm button), decided in one place from the editor's
// state. The windows only apply it.
//
// Most states follow the editor as it is (a map on screen, the undo history); some follow what
// the commands did before, as the toolbar was laid out to work: the button of the tool in use is
// the disabled one, but the full refresh of the map view enables every tool button except the
// 1 x 1 pen's, which keeps its state; the overwrite save is enabled by a save under a name, not by
// a load; the close command takes away the save, close and view-menu items but leaves the
// toolbar's window and tool buttons. CommandMemory keeps those facts, one transition per event.

#include <array>
#include <cstdint>

namespace tilora {

// A command whose state the editor changes. A menu item and its toolbar button (or its key) are
// one command where they always agree. One row each in commandStates().
enum class Command : std::uint8_t {
    NewMap,           // NewButton, "マップ新規作成"
    OpenMap,          // OpenButton
    LoadMap,          // "マップの読み込み"
    Save,             // OverWriteSaveButton, "上書き保存"
    SaveAs,           // NameSaveButton, "名前をつけて保存"
    SaveKey,          // Ctrl+S while "上書き保存" is disabled: saves under a new name
    CloseMap,         // "閉じる"
    Exit,             // "終了"
    ChipWindowItem,   // "チップウィンドウ", checked while the palette is shown
    ChipWindowButton, // ChipShowButton
    MapWindowItem,    // "マップウィンドウ", checked while the map window is shown
    MapWindowButton,  // MapShowButton
    Overview,         // "全体図", checked while wanted
    Grid,             // "グリッド", checked while shown
    StatusLine,       // "ステータスバー", checked while shown
    ZoomIn,           // ZoomInButton and the key +
    ZoomOut,          // ZoomOutButton and the key -
    Pen1,             // PenButton1..4: pens of 1, 2, 4 and 8 chips
    Pen2,
    Pen3,
    Pen4,
    Stamp,         // StampButton
    StampEditor,   // SEButton
    Undo,          // "元に戻す"
    Redo,          // "やり直し"
    Fill,          // "塗りつぶし"
    Select,        // "範囲選択" (S): arms the selection tool
    SelectAll,     // "すべて選択" (Ctrl+A)
    Copy,          // "コピー" (Ctrl+C)
    Cut,           // "切り取り" (Ctrl+X)
    Delete,        // "削除" (Delete): the selection takes the current chip
    Paste,         // "貼り付け" (Ctrl+V): the block follows the pointer until a click
    PasteInPlace,  // "元の位置に貼り付け" (Ctrl+Shift+V)
    Capture,       // "スタンプに取り込む" (Ctrl+Shift+C)
    Rectangle,     // "四角形" (R)
    Line,          // "直線" (L)
    Disarm,        // Esc: drops the armed map tool and the selection
    Help,          // "ヘルプ"
    About,         // "ﾊﾞｰｼﾞｮﾝ情報"
    ConfirmNewMap, // the new-map dialog's "決定"
};
inline constexpr int CommandCount = int(Command::ConfirmNewMap) + 1;

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

class CommandStates {
  public:
    CommandState& operator[](Command c) { return states_[std::size_t(c)]; }
    const CommandState& operator[](Command c) const { return states_[std::size_t(c)]; }

  private:
    std::array<CommandState, CommandCount> states_{};
};

// The tool button the toolbar marks by disabling it; None: every tool button enabled.
enum class ToolMark : std::uint8_t { None, Pen1, Pen2, Pen3, Pen4, Stamp };

// What the commands' states remember of the commands run so far, as the program starts.
struct CommandMemory {
    bool mapShown = false;         // from a full refresh of the map view until the new-map command
    bool closed = false;           // "閉じる" since the map was shown
    bool overwriteAllowed = false; // a save under a name since the last new-map or close command
    bool sheetReady = false; // the palette has a sheet: a map shown, or one tried for a new map
    ToolMark toolMark = ToolMark::Pen1;
    bool sheetChosen = false;  // a sheet chosen in the new-map dialog since the new-map command
    bool zoomInArmed = false;  // a zoom-in pick armed since the last full refresh
    bool zoomOutArmed = false; // likewise for zoom out
    bool chipWindowMarked = false;
    bool mapWindowMarked = false;

    // The full refresh of the map view: a new map confirmed, a load, a zoom pick.
    void mapShownAnew();
    // The new-map command going on: no map on screen until the new-map dialog confirms.
    void mapLeft();
    // "閉じる": the map stays on screen and in memory.
    void mapClosed();
    // The map may be saved over its file: a save under a name, a restored copy that knows it.
    void allowOverwrite() { overwriteAllowed = true; }
    // The new-map dialog: a sheet chosen for the new map, or the dialog abandoned.
    void sheetTried() { sheetReady = sheetChosen = true; }
    void newMapAbandoned() { sheetReady = false; }
    void toolChosen(ToolMark tool) { toolMark = tool; }
    // A zoom button armed a pick: in (direction > 0) or out.
    void zoomArmed(int direction);
};

// What the commands' states read from the editor as it is.
struct EditorFacts {
    bool zoomPending = false; // a zoom pick waits for its click
    bool canUndo = false;
    bool canRedo = false;
    bool toolArmed = false; // a map tool armed over the pen or stamp
    bool selection = false; // a rectangle of the map is selected
    bool overviewWanted = false;
    bool gridShown = false;
    bool statusLineShown = false;
};

CommandStates commandStates(const CommandMemory& memory, const EditorFacts& facts);

} // namespace tilora
