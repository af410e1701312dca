// A long random session on the live editor: tens of thousands of pointer moves, clicks, scrolls,
// tool and stamp commands, new maps, saves and loads, each one something a user could do at that
// moment. After every step the editor's invariants are checked, and the map grid is compared with
// a shadow copy that this test keeps from what each step should have written.
//
// The sequence is fixed by the seed. A failure names the seed, the step, the action, the state
// and the steps before it. TILORA_RANDOM_SEED and TILORA_RANDOM_STEPS run other sequences.

#include "TestApp.h"

#include "core/MapFile.h"
#include "core/StampBanks.h"
#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/TMainWindow.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TILORA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TILORA_UNDER_ASAN 1
#endif
#endif

namespace tilora::test {
namespace {

#ifdef TILORA_UNDER_ASAN
constexpr int kDefaultSteps = 15000; // each step is about ten times slower under the sanitizers
#else
constexpr int kDefaultSteps = 30000;
#endif
constexpr std::uint32_t kDefaultSeed = 20240611u;
constexpr int kWholeGridCheckEvery = 200; // steps between comparisons of the whole grid
constexpr std::size_t kRecentSteps = 20;  // steps shown with a failure
constexpr int kViewSamples = 12;          // view cells compared with the grid after each step
constexpr Pixel kWhite = 0xFFFFFFFFu;     // the middle of the transparent-cell picture
constexpr int kPenSizes[] = {1, 2, 4, 8};

// Sheets the chooser takes: no scroll bars, both, each one alone, a single chip, and a height that
// is not a multiple of 32.
struct SheetSpec {
    const char* name;
    int width, height;
};
constexpr SheetSpec kSheets[] = {{"small.bmp", 256, 256}, {"big.bmp", 640, 640},
                                 {"tall.bmp", 256, 640},  {"wide.bmp", 640, 96},
                                 {"one.bmp", 32, 32},     {"ragged.bmp", 352, 330}};
constexpr int kMostChips = 20 * 21; // more than any sheet above holds, partial chips included

template <class... Args> std::string cat(const Args&... args) {
    std::ostringstream out;
    (out << ... << args);
    return out.str();
}
std::string str(QPoint p) {
    return cat("(", p.x(), ", ", p.y(), ")");
}
std::string str(const QString& s) {
    return s.toStdString();
}

bool isFlag(int v) {
    return v == 0 || v == 1;
}
bool isCellSize(int v) {
    return v >= 1 && v <= 64 && (v & (v - 1)) == 0;
}
bool isPenSize(int v) {
    return v == 1 || v == 2 || v == 4 || v == 8;
}

// The pixel-to-cell rule: 0..size is cell 0, size+1..2*size cell 1, and so on.
int cellAt(int pixel, int size) {
    return pixel <= size ? 0 : (pixel - 1) / size;
}

std::uint32_t envNumber(const char* name, std::uint32_t fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::uint32_t(std::strtoul(v, nullptr, 10)) : fallback;
}

const char* buttonName(Qt::MouseButton b) {
    return b == Qt::LeftButton ? "left" : b == Qt::RightButton ? "right" : "middle";
}

// A grid cell by row and column.
struct Cell {
    int row, col;
};

// The scalar state before a step, for the checks after it.
struct Scalars {
    int MapWidth, MapHeight, CellSize, ViewCol, ViewRow, ZoomPending, ZoomStep, MapModified,
        StampMode, PenSize, PenDragActive, CurrentChip, HoverCol, HoverRow;
};

// What the test knows about the session beyond the editor's own state.
struct Model {
    bool mapExists = false;  // a map has been set up or loaded
    bool mapShown = false;   // the map view was refreshed since the last new-map command
    bool toolChosen = false; // a pen or the stamp was chosen since that command
    bool stampDrawn = false; // the stamp editor has drawn a bank
    int hoverCellSize = 32;  // CellSize when the map's hover cell was last tracked
};

#define REQUIRE(cond)                                                                              \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            fail("expected " #cond);                                                               \
            return;                                                                                \
        }                                                                                          \
    } while (false)

class Session;
struct Action {
    const char* name;
    int weight;
    bool (Session::*possible)() const;
    void (Session::*run)();
};

class Session {
  public:
    explicit Session(std::uint32_t seed);

    // Runs until `steps` steps are done or the first failure; returns the failure or "".
    std::string run(int steps);
    int stepsRun() const { return stepsRun_; }
    const std::map<std::string, int>& tally() const { return tally_; }

    // --- when an action is possible
    bool always() const { return true; }
    bool mapOnScreen() const { return map_.isVisible(); }
    bool paletteOnScreen() const { return palette_.isVisible(); }
    bool stampsOnScreen() const { return stamps_.isVisible(); }
    bool pointerOnScreen() const { return pointer_.window && pointer_.window->isVisible(); }
    bool mapScrollable() const {
        return map_.ScrollBar1->isVisible() || map_.ScrollBar2->isVisible();
    }
    bool paletteScrollable() const {
        return palette_.ScrollBar1->isVisible() || palette_.ScrollBar2->isVisible();
    }
    bool someToolWindowOnScreen() const {
        return map_.isVisible() || palette_.isVisible() || stamps_.isVisible();
    }
    bool mapIsUp() const { return model_.mapShown; }
    bool nothingIsUp() const { return !model_.mapShown && !dialog_.isVisible(); }
    bool dialogIsUp() const { return dialog_.isVisible(); }
    bool canSaveAs() const { return main_.NameSaveButton->isEnabled(); }
    bool canOverwrite() const { return main_.OverWriteSaveButton->isEnabled(); }
    bool haveSavedMap() const { return !saved_.empty(); }

    // --- actions
    void moveOverMap();
    void moveOverPalette();
    void moveOverPaletteForm();
    void moveOverStamps();
    void pressAtPointer();
    void clickOnMap() { clickAfter(&Session::moveOverMap); }
    void clickOnPalette() { clickAfter(&Session::moveOverPalette); }
    void clickOnStamps() { clickAfter(&Session::moveOverStamps); }
    void scrollMap();
    void scrollPalette();
    void toolCommand();
    void stampCommand();
    void closeWindow();
    void letEventsRun();
    void newMapCommand();
    void chooseSheet();
    void typeSize();
    void confirmNewMap();
    void cancelNewMap();
    void saveAs();
    void overwriteSave();
    void openSavedMap();

  private:
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(int percent) { return uniform(0, 99) < percent; }
    QPoint pointIn(const QRect& r) {
        return {uniform(r.left(), std::max(r.left(), r.right())),
                uniform(r.top(), std::max(r.top(), r.bottom()))};
    }
    const Action& chooseAction();
    void fail(const std::string& what);
    void count(const char* event) { ++tally_[event]; }

    // Step framing and the checks after each step.
    void beginStep();
    void endStep();
    void checkInvariants();
    void checkMainWindow();
    void checkMapWindow();
    void checkMapBar(const QScrollBar* bar, int mapSide, int origin);
    void checkPalette();
    void checkPaletteBar(const QScrollBar* bar, int sheetSide, int scroll);
    void checkStampEditor();
    void checkView();
    void checkStampGrid();
    void checkBlock(Cell anchor);
    void checkWholeGrid();
    void checkMessages(std::size_t expected, MessageButtons buttons);
    void checkSaved(const QString& path, const MapContents& expected);
    void checkFreshSheet(int width, int height);

    // Pointer delivery as the window system does it: to the topmost child under the pointer.
    QWidget* topmostAt(QWidget& window, QPoint p) const;
    void moveTo(QWidget& window, QPoint p);
    void moveOverMapImage(QPoint local);
    void moveOverStampGrid(QPoint local);
    void clickAfter(void (Session::*move)());
    void pressMapCursor(Qt::MouseButton button, QPoint local);
    void checkZoomPick(const Scalars& before);
    void pressPaletteFrame(Qt::MouseButton button, QPoint local);
    void pressStampFrame(Qt::MouseButton button, QPoint local);
    void scrollAsUser(QScrollBar* bar);
    std::optional<int> chipShownAt(QPoint windowPoint) const;

    // The shadow grid.
    std::int32_t& shadow(int row, int col) { return shadow_[std::size_t(row) * GridSide + col]; }
    void penInShadow(Cell anchor, int pen, std::int32_t chip);
    void stampInShadow(Cell anchor, int bank);
    MapContents shadowContents() const;
    void putInShadow(const MapContents& contents);

    Scalars scalars() const;
    int fullChips() const;
    std::array<std::int32_t, StampCells> bank(int b) const;
    bool banksAllZero() const;
    QString savePathFor(int k) const;
    QString queueSaveTarget();
    QString randomSizeText();
    std::string nameOf(const QWidget* w) const;
    std::string stateSummary() const;

    TestApp t_;
    TMainWindow& main_;
    TMapWindow& map_;
    TMapChipWindow& palette_;
    TStartUpWindow& dialog_;
    TStampWindow& stamps_;
    EditorState& s_;

    std::uint32_t seed_;
    std::mt19937 rng_;      // chooses the actions
    std::mt19937 checkRng_; // chooses what to sample, so checks never change the actions
    std::vector<std::int32_t> shadow_;
    Model model_;
    struct {
        QWidget* window = nullptr;
        QPoint pos;
    } pointer_;

    std::vector<QString> sheetPaths_; // in the order of kSheets
    std::vector<QString> refused_;    // choices the sheet chooser turns down with a message
    std::unordered_map<Pixel, int> chipOfColour_;
    std::map<QString, MapContents> saved_; // map files written, with what they must hold

    int step_ = 0;
    int stepsRun_ = 0;
    std::string action_;
    std::string failure_;
    std::deque<std::string> recent_;
    std::map<std::string, int> tally_;
    std::size_t messagesBefore_ = 0;
    bool messagesAllowed_ = false; // the step may show OK boxes (a refused sheet)
    std::optional<Cell> painted_;  // anchor of the block painted in this step
    bool stampGridRedrawn_ = false;
};

// Weights are relative; an action counts only while it is possible.
const Action kActions[] = {
    {"move over the map view", 160, &Session::mapOnScreen, &Session::moveOverMap},
    {"click on the map view", 120, &Session::mapOnScreen, &Session::clickOnMap},
    {"move over the palette", 60, &Session::paletteOnScreen, &Session::moveOverPalette},
    {"click on the palette", 30, &Session::paletteOnScreen, &Session::clickOnPalette},
    {"move over the palette's client area", 10, &Session::paletteOnScreen,
     &Session::moveOverPaletteForm},
    {"move over the stamp editor", 40, &Session::stampsOnScreen, &Session::moveOverStamps},
    {"click in the stamp editor", 20, &Session::stampsOnScreen, &Session::clickOnStamps},
    {"press at the pointer", 60, &Session::pointerOnScreen, &Session::pressAtPointer},
    {"scroll the map view", 60, &Session::mapScrollable, &Session::scrollMap},
    {"scroll the palette", 40, &Session::paletteScrollable, &Session::scrollPalette},
    {"tool or view command", 70, &Session::always, &Session::toolCommand},
    {"stamp editor command", 40, &Session::stampsOnScreen, &Session::stampCommand},
    {"close a window", 3, &Session::someToolWindowOnScreen, &Session::closeWindow},
    {"let the event loop run", 5, &Session::always, &Session::letEventsRun},
    {"new-map command", 4, &Session::mapIsUp, &Session::newMapCommand},
    {"new-map command with no map open", 60, &Session::nothingIsUp, &Session::newMapCommand},
    {"new-map command with the dialog open", 1, &Session::dialogIsUp, &Session::newMapCommand},
    {"dialog: choose a chip sheet", 40, &Session::dialogIsUp, &Session::chooseSheet},
    {"dialog: type the size", 30, &Session::dialogIsUp, &Session::typeSize},
    {"dialog: confirm", 30, &Session::dialogIsUp, &Session::confirmNewMap},
    {"dialog: cancel", 4, &Session::dialogIsUp, &Session::cancelNewMap},
    {"save as", 2, &Session::canSaveAs, &Session::saveAs},
    {"overwrite save", 1, &Session::canOverwrite, &Session::overwriteSave},
    {"open a saved map", 2, &Session::haveSavedMap, &Session::openSavedMap},
};

Session::Session(std::uint32_t seed)
    : main_(*t_->MainWindow), map_(*t_->MapWindow), palette_(*t_->MapChipWindow),
      dialog_(*t_->StartUpWindow), stamps_(*t_->StampWindow), s_(t_.state()), seed_(seed),
      rng_(seed), checkRng_(seed ^ 0x5bd1e995u), shadow_(s_.MapCells) {
    t_->start();
    for (const SheetSpec& sheet : kSheets)
        sheetPaths_.push_back(writeSheetBmp(t_.path(sheet.name), sheet.width, sheet.height));
    for (const char* name : {"notes.txt", "broken.bmp"}) {
        QFile f(t_.path(name));
        if (f.open(QIODevice::WriteOnly)) f.write("BM, but not a bitmap\r\n");
        refused_.push_back(t_.path(name));
    }
    refused_.push_back(writeSheetBmp(t_.path("narrow.bmp"), 16, 64)); // no whole chip across
    for (int k = 0; k < kMostChips; ++k)
        chipOfColour_[chipColour(k)] = k;
}

std::string Session::run(int steps) {
    for (step_ = 1; step_ <= steps && failure_.empty(); ++step_) {
        beginStep();
        const Action& action = chooseAction();
        action_ = action.name;
        try {
            (this->*action.run)();
        } catch (const std::exception& e) {
            fail(cat("exception: ", e.what()));
        }
        if (failure_.empty()) endStep();
        recent_.push_back(cat(step_, ": ", action_));
        if (recent_.size() > kRecentSteps) recent_.pop_front();
        stepsRun_ = step_;
    }
    if (failure_.empty()) checkWholeGrid();
    return failure_;
}

const Action& Session::chooseAction() {
    int total = 0;
    for (const Action& a : kActions)
        if ((this->*a.possible)()) total += a.weight;
    int k = uniform(0, total - 1);
    for (const Action& a : kActions) {
        if (!(this->*a.possible)()) continue;
        if (k < a.weight) return a;
        k -= a.weight;
    }
    return kActions[0]; // not reached: the tool commands are always possible
}

void Session::fail(const std::string& what) {
    if (!failure_.empty()) return;
    std::ostringstream out;
    out << "seed " << seed_ << ", step " << step_ << " (" << action_ << "): " << what
        << "\n  state: " << stateSummary() << "\n  steps before it:";
    for (const std::string& r : recent_)
        out << "\n    " << r;
    failure_ = out.str();
}

// ---------------------------------------------------------------------------------------------
// Checks after every step

void Session::beginStep() {
    messagesBefore_ = t_.dialogs.messages.size();
    messagesAllowed_ = false;
    painted_.reset();
    stampGridRedrawn_ = false;
}

void Session::endStep() {
    if (!t_.dialogs.answers.empty() || !t_.dialogs.files.empty())
        return fail("a queued answer or file choice was not asked for");
    for (std::size_t i = messagesBefore_; i < t_.dialogs.messages.size(); ++i) {
        const MessageCall& m = t_.dialogs.messages[i];
        if (!messagesAllowed_ || m.buttons != MessageButtons::Ok)
            return fail(cat("unexpected message box \"", str(m.text), "\" (", str(m.caption), ")"));
    }
    checkInvariants();
    if (painted_) checkBlock(*painted_);
    if (model_.mapShown) checkView();
    if (stampGridRedrawn_) checkStampGrid();
    if (step_ % kWholeGridCheckEvery == 0) checkWholeGrid();
}

void Session::checkInvariants() {
    const EditorState& s = s_;
    REQUIRE(isCellSize(s.CellSize));
    REQUIRE(s.ZoomStep >= 1 && s.ZoomStep <= 7);
    REQUIRE(isFlag(s.ZoomPending) && isFlag(s.StampMode) && isFlag(s.PenDragActive));
    REQUIRE(isFlag(s.MapModified));
    REQUIRE(isPenSize(s.PenSize));

    const int n = ViewPixels / s.CellSize; // cells per view side
    REQUIRE(s.ViewCol >= 0 && s.ViewRow >= 0);
    REQUIRE(s.ViewCol + n <= GridSide && s.ViewRow + n <= GridSide);
    // The hover cell keeps the last tracked cell, counted at the cell size of that moment.
    REQUIRE(s.HoverCol >= 0 && s.HoverRow >= 0);
    REQUIRE(s.HoverCol * model_.hoverCellSize < ViewPixels);
    REQUIRE(s.HoverRow * model_.hoverCellSize < ViewPixels);
    if (model_.mapExists) {
        REQUIRE(s.MapWidth >= MinMapSide && s.MapWidth <= MaxMapSide);
        REQUIRE(s.MapHeight >= MinMapSide && s.MapHeight <= MaxMapSide);
        // The view stays inside the map: it ends at the map's edge at the latest, and starts at
        // 0 when the map is smaller than the view.
        REQUIRE(s.MapWidth >= n ? s.ViewCol + n <= s.MapWidth : s.ViewCol == 0);
        REQUIRE(s.MapHeight >= n ? s.ViewRow + n <= s.MapHeight : s.ViewRow == 0);
    }
    checkMainWindow();
    if (model_.mapShown) checkMapWindow();
    if (!palette_.sheet().isNull()) checkPalette();
    checkStampEditor();
}

void Session::checkMainWindow() {
    QPushButton* const tools[] = {main_.PenButton1, main_.PenButton2, main_.PenButton3,
                                  main_.PenButton4, main_.StampButton};
    const auto disabled = std::count_if(std::begin(tools), std::end(tools),
                                        [](QPushButton* b) { return !b->isEnabled(); });
    if (!model_.mapShown) {
        // Without a map on screen every editing command is off.
        REQUIRE(disabled == 5);
        REQUIRE(!main_.SEButton->isEnabled() && !main_.MapShowButton->isEnabled());
        REQUIRE(!main_.ZoomInButton->isEnabled() && !main_.ZoomOutButton->isEnabled());
        REQUIRE(!main_.NameSaveButton->isEnabled());
        REQUIRE(!map_.isVisible() && !stamps_.isVisible());
        return;
    }
    REQUIRE(!dialog_.isVisible());
    REQUIRE(main_.SEButton->isEnabled() && main_.MapShowButton->isEnabled());
    REQUIRE(main_.ChipShowButton->isEnabled() && main_.NameSaveButton->isEnabled());
    REQUIRE(main_.MapWindow1->isEnabled() && main_.MapChipWindow1->isEnabled());
    REQUIRE(main_.MapWindow1->isChecked() == map_.isVisible());
    // At most one tool button is off, and the one that is off is the tool in use: a refresh
    // turns PenButton2..4 and StampButton back on, and a new map leaves PenButton1 off as the
    // mark of the 1 x 1 pen whatever tool the last map used.
    REQUIRE(disabled <= 1);
    REQUIRE(main_.StampButton->isEnabled() || s_.StampMode == 1);
    for (int k = 1; k < 4; ++k) {
        if (!tools[k]->isEnabled() && (s_.StampMode != 0 || s_.PenSize != kPenSizes[k]))
            return fail(cat("PenButton", k + 1, " is off while another tool is in use"));
    }
    if (model_.toolChosen && !main_.PenButton1->isEnabled())
        REQUIRE(s_.StampMode == 0 && s_.PenSize == 1);
    if (s_.ZoomPending == 0)
        REQUIRE(main_.ZoomInButton->isEnabled() && main_.ZoomOutButton->isEnabled());
}

void Session::checkMapWindow() {
    const int cs = s_.CellSize;
    const QSize image(std::min(ViewPixels, s_.MapWidth * cs),
                      std::min(ViewPixels, s_.MapHeight * cs));
    REQUIRE(map_.Image1->geometry() == QRect(QPoint(0, 0), image));
    // The cell cursor sits on a whole cell of the view.
    const QRect frame = map_.Shape1->geometry();
    REQUIRE(frame.width() == frame.height());
    REQUIRE(frame.width() == cs || frame.width() == std::max(cs, 5));
    REQUIRE(frame.x() >= 0 && frame.y() >= 0 && frame.x() % cs == 0 && frame.y() % cs == 0);
    REQUIRE(frame.x() + cs <= image.width() && frame.y() + cs <= image.height());
    REQUIRE(map_.Shape1->shape() ==
            (s_.ZoomPending == 1 ? ShapeWidget::Shape::Circle : ShapeWidget::Shape::RoundSquare));
    if (s_.ZoomPending == 0) REQUIRE(map_.Shape1->toolTip().isEmpty());
    REQUIRE(s_.SheetColumns == palette_.sheet().width() / ChipPixels);
    checkMapBar(map_.ScrollBar2, s_.MapWidth, s_.ViewCol);
    checkMapBar(map_.ScrollBar1, s_.MapHeight, s_.ViewRow);
}

void Session::checkMapBar(const QScrollBar* bar, int mapSide, int origin) {
    const int cs = s_.CellSize;
    const int extent = mapSide * cs;
    if (extent <= ViewPixels) {
        REQUIRE(bar->isHidden());
        return;
    }
    REQUIRE(!bar->isHidden());
    REQUIRE(bar->minimum() == 0 && bar->maximum() == extent - ViewPixels);
    REQUIRE(bar->singleStep() == cs && bar->pageStep() == 2 * cs);
    REQUIRE(bar->sliderPosition() == bar->value());
    if (bar->value() / cs != origin)
        fail(cat("a map bar at ", bar->value(), " (cell size ", cs, ") with the view origin at ",
                 origin));
}

void Session::checkPalette() {
    const Bitmap& sheet = palette_.sheet();
    REQUIRE(palette_.Image1->pos() == QPoint(-s_.SheetScrollX, -s_.SheetScrollY));
    checkPaletteBar(palette_.ScrollBar2, sheet.width(), s_.SheetScrollX);
    checkPaletteBar(palette_.ScrollBar1, sheet.height(), s_.SheetScrollY);
    // The frame sits on the sheet's 32-pixel grid, and scrolling moves the sheet by whole chips.
    const QPoint frame = palette_.Shape1->pos();
    REQUIRE(frame.x() % ChipPixels == 0 && frame.y() % ChipPixels == 0);
    if (!palette_.Image1->isHidden()) return;
    // The still copy shows the part of the sheet the viewport is scrolled to.
    const Bitmap& still = palette_.Image2->bitmap();
    const int w = std::min(ViewPixels, sheet.width() - s_.SheetScrollX);
    const int h = std::min(ViewPixels, sheet.height() - s_.SheetScrollY);
    for (int k = 0; k < 4; ++k) {
        const int x = std::uniform_int_distribution<int>(0, w - 1)(checkRng_);
        const int y = std::uniform_int_distribution<int>(0, h - 1)(checkRng_);
        if (still.pixel(x, y) != sheet.pixel(x + s_.SheetScrollX, y + s_.SheetScrollY))
            return fail(cat("the palette's still copy differs from the sheet at ", x, ", ", y));
    }
}

void Session::checkPaletteBar(const QScrollBar* bar, int sheetSide, int scroll) {
    if (sheetSide <= ViewPixels) {
        REQUIRE(bar->isHidden() && scroll == 0);
        return;
    }
    REQUIRE(!bar->isHidden());
    REQUIRE(bar->maximum() == sheetSide - ViewPixels);
    REQUIRE(scroll % ChipPixels == 0 && scroll >= 0 && scroll <= bar->maximum());
    REQUIRE(bar->value() == scroll && bar->sliderPosition() == scroll);
}

void Session::checkStampEditor() {
    const TStampWindow& e = stamps_;
    REQUIRE(e.StampHoverCol >= 0 && e.StampHoverCol < StampSide);
    REQUIRE(e.StampHoverRow >= 0 && e.StampHoverRow < StampSide);
    REQUIRE(e.Shape1->pos() == QPoint(e.StampHoverCol * ChipPixels, e.StampHoverRow * ChipPixels));
    REQUIRE(e.TransparentMode == (e.RadioButton2->isChecked() ? 1 : 0));
    REQUIRE(isFlag(e.StampDragActive));
    REQUIRE(e.CurrentBank() >= 0 && e.CurrentBank() < StampBankCount);
    if (model_.stampDrawn) REQUIRE(e.Label1->text() == QString::number(e.CurrentBank() + 1));
}

// Samples view cells (and every cell painted in this step) against the grid: each chip of the
// test sheets is one colour, so any cell size shows it in its top-left pixel.
void Session::checkView() {
    const Bitmap& view = map_.Image1->bitmap();
    const int cs = s_.CellSize;
    const int n = ViewPixels / cs;
    const int chips = fullChips();
    auto check = [&](int i, int j) {
        const std::int32_t chip = s_.cell(s_.ViewRow + i, s_.ViewCol + j);
        if (chip < 0 || chip >= chips) return true; // drawn in the neutral look
        if (view.pixel(j * cs, i * cs) == chipColour(chip)) return true;
        fail(cat("view cell (", i, ", ", j, ") does not show chip ", chip));
        return false;
    };
    std::uniform_int_distribution<int> any(0, n - 1);
    for (int k = 0; k < kViewSamples; ++k)
        if (!check(any(checkRng_), any(checkRng_))) return;
    if (!painted_) return;
    for (int i = painted_->row - s_.ViewRow; i < painted_->row - s_.ViewRow + StampSide; ++i)
        for (int j = painted_->col - s_.ViewCol; j < painted_->col - s_.ViewCol + StampSide; ++j)
            if (i >= 0 && j >= 0 && i < n && j < n && !check(i, j)) return;
}

void Session::checkStampGrid() {
    const Bitmap& grid = stamps_.Image1->bitmap();
    const int b = stamps_.CurrentBank();
    const int chips = fullChips();
    for (int r = 0; r < StampSide; ++r) {
        for (int c = 0; c < StampSide; ++c) {
            const std::int32_t v = stampCell(s_.StampBanks, b, r, c);
            if (v >= chips || v < TransparentChip) continue;
            const Pixel expected = v == TransparentChip ? kWhite : chipColour(v);
            if (grid.pixel(c * ChipPixels + 16, r * ChipPixels + 16) != expected)
                return fail(cat("stamp grid cell (", r, ", ", c, ") does not show ", v));
        }
    }
}

// The cells around a painted block, inside and outside the map, hold what the shadow says.
void Session::checkBlock(Cell anchor) {
    for (int r = std::max(0, anchor.row - 1); r < std::min(GridSide, anchor.row + 11); ++r) {
        for (int c = std::max(0, anchor.col - 1); c < std::min(GridSide, anchor.col + 11); ++c) {
            if (s_.cell(r, c) != shadow(r, c))
                return fail(cat("cell (", r, ", ", c, ") holds ", s_.cell(r, c), ", expected ",
                                shadow(r, c),
                                r < s_.MapHeight && c < s_.MapWidth ? " inside" : " outside",
                                " the ", s_.MapWidth, " x ", s_.MapHeight, " map"));
        }
    }
}

void Session::checkWholeGrid() {
    const auto [got, want] = std::mismatch(s_.MapCells.begin(), s_.MapCells.end(), shadow_.begin());
    if (got == s_.MapCells.end()) return;
    const auto index = got - s_.MapCells.begin();
    const int r = int(index / GridSide), c = int(index % GridSide);
    fail(cat("grid cell (", r, ", ", c, ") holds ", *got, ", expected ", *want,
             r < s_.MapHeight && c < s_.MapWidth ? " inside" : " outside", " the ", s_.MapWidth,
             " x ", s_.MapHeight, " map"));
}

// Exactly `expected` new boxes in this step, all with these buttons and the unsaved-changes text.
void Session::checkMessages(std::size_t expected, MessageButtons buttons) {
    const std::size_t shown = t_.dialogs.messages.size() - messagesBefore_;
    REQUIRE(shown == expected);
    for (std::size_t i = messagesBefore_; i < t_.dialogs.messages.size(); ++i) {
        const MessageCall& m = t_.dialogs.messages[i];
        REQUIRE(m.buttons == buttons);
        REQUIRE(m.caption == QStringLiteral("ちょっと待った！！"));
    }
    messagesBefore_ = t_.dialogs.messages.size(); // accounted for
}

// The file holds exactly the map the shadow says was saved.
void Session::checkSaved(const QString& path, const MapContents& expected) {
    QFile f(path);
    REQUIRE(f.open(QIODevice::ReadOnly));
    REQUIRE(f.readAll().toStdString() == formatMapFile(expected));
    saved_[path] = expected;
    count("maps saved");
}

// A sheet just laid out in the palette: shown from its top-left corner.
void Session::checkFreshSheet(int width, int height) {
    REQUIRE(palette_.isVisible());
    REQUIRE(palette_.sheet().width() == width && palette_.sheet().height() == height);
    REQUIRE(s_.SheetScrollX == 0 && s_.SheetScrollY == 0);
    REQUIRE(palette_.ScrollBar1->value() == 0 && palette_.ScrollBar2->value() == 0);
    REQUIRE(palette_.Image1->pos() == QPoint(0, 0) && !palette_.Image1->isHidden());
}

// ---------------------------------------------------------------------------------------------
// Pointer moves and presses

QWidget* Session::topmostAt(QWidget& window, QPoint p) const {
    QWidget* child = window.childAt(p);
    return child ? child : &window;
}

void Session::moveOverMap() {
    moveTo(map_, pointIn(chance(85) ? map_.Image1->geometry() : map_.rect()));
}

void Session::moveOverPalette() {
    const QRect viewport = palette_.rect().intersected(QRect(0, 0, ViewPixels, ViewPixels));
    moveTo(palette_, pointIn(chance(85) ? viewport : palette_.rect()));
}

// The still copy covers the whole client area, so only a move sent to the form itself reaches
// the form's own handler.
void Session::moveOverPaletteForm() {
    const QPoint p = pointIn(palette_.rect());
    pointer_ = {&palette_, p};
    action_ = cat("move over the palette form at ", str(p));
    movePointer(&palette_, p.x(), p.y());
    REQUIRE(!palette_.Image1->isHidden());
}

void Session::moveOverStamps() {
    moveTo(stamps_, pointIn(chance(80) ? stamps_.Image1->geometry() : stamps_.rect()));
}

void Session::moveTo(QWidget& window, QPoint p) {
    pointer_ = {&window, p};
    QWidget* target = topmostAt(window, p);
    const QPoint local = target->mapFrom(&window, p);
    action_ = cat("move to ", nameOf(target), " ", str(local));
    if (target == map_.Image1) return moveOverMapImage(local);
    if (target == stamps_.Image1) return moveOverStampGrid(local);
    movePointer(target, local.x(), local.y());
    if (target == palette_.Image1) {
        const QPoint frame(cellAt(local.x(), ChipPixels) * ChipPixels - s_.SheetScrollX,
                           cellAt(local.y(), ChipPixels) * ChipPixels - s_.SheetScrollY);
        REQUIRE(palette_.Shape1->pos() == frame);
    }
    if (target == palette_.Image2) REQUIRE(!palette_.Image1->isHidden());
}

void Session::moveOverMapImage(QPoint local) {
    const int cs = s_.CellSize;
    const int col = cellAt(local.x(), cs);
    const int row = cellAt(local.y(), cs);
    const bool drag = s_.PenDragActive == 1;
    const std::int32_t chip = s_.CurrentChip;
    const int pen = s_.PenSize;
    movePointer(map_.Image1, local.x(), local.y());
    model_.hoverCellSize = cs;
    REQUIRE(s_.HoverCol == col && s_.HoverRow == row);
    REQUIRE(map_.Shape1->pos() == QPoint(col * cs, row * cs));
    if (!drag) return;
    const Cell anchor{s_.ViewRow + row, s_.ViewCol + col};
    penInShadow(anchor, pen, chip);
    painted_ = anchor;
    count("drag-painting moves");
}

void Session::moveOverStampGrid(QPoint local) {
    const int col = cellAt(local.x(), ChipPixels);
    const int row = cellAt(local.y(), ChipPixels);
    const bool drag = stamps_.StampDragActive == 1;
    const std::int32_t value = stamps_.TransparentMode == 1 ? TransparentChip : s_.CurrentChip;
    movePointer(stamps_.Image1, local.x(), local.y());
    REQUIRE(stamps_.StampHoverCol == col && stamps_.StampHoverRow == row);
    if (!drag) return;
    REQUIRE(stampCell(s_.StampBanks, stamps_.CurrentBank(), row, col) == value);
    stampGridRedrawn_ = true;
}

// Presses whatever lies under the pointer, as the window system would deliver the click.
void Session::pressAtPointer() {
    QWidget& window = *pointer_.window;
    QWidget* target = topmostAt(window, pointer_.pos);
    const QPoint local = target->mapFrom(&window, pointer_.pos);
    const int k = uniform(0, 99);
    const Qt::MouseButton button = k < 50   ? Qt::LeftButton
                                   : k < 85 ? Qt::RightButton
                                            : Qt::MiddleButton;
    action_ = cat("press ", buttonName(button), " on ", nameOf(target), " ", str(local));
    if (target == map_.Shape1) return pressMapCursor(button, local);
    if (target == palette_.Shape1) return pressPaletteFrame(button, local);
    if (target == stamps_.Shape1) return pressStampFrame(button, local);
    pressButton(target, button, local.x(), local.y());
}

// A click: a move, then a press where the pointer came to rest.
void Session::clickAfter(void (Session::*move)()) {
    (this->*move)();
    if (!failure_.empty()) return;
    const std::string moved = action_;
    pressAtPointer();
    action_ = cat(moved, ", then ", action_);
}

void Session::pressMapCursor(Qt::MouseButton button, QPoint local) {
    const Scalars before = scalars();
    const Cell anchor{before.ViewRow + before.HoverRow, before.ViewCol + before.HoverCol};
    const int b = stamps_.CurrentBank();
    pressButton(map_.Shape1, button, local.x(), local.y());
    if (button == Qt::LeftButton && before.ZoomPending == 1) return checkZoomPick(before);
    if (button == Qt::LeftButton) {
        if (before.StampMode == 1) {
            stampInShadow(anchor, b);
            REQUIRE(s_.PenDragActive == before.PenDragActive);
            count("stamp pastes");
        } else {
            penInShadow(anchor, before.PenSize, before.CurrentChip);
            REQUIRE(s_.PenDragActive == 1);
            count("pen clicks");
        }
        painted_ = anchor;
        REQUIRE(s_.MapModified == 1);
        return;
    }
    if (button == Qt::RightButton) {
        // The chip under the cursor, read even outside the map but never outside the grid.
        const bool inGrid = anchor.row < GridSide && anchor.col < GridSide;
        REQUIRE(s_.PenDragActive == 0);
        REQUIRE(s_.CurrentChip == (inGrid ? shadow(anchor.row, anchor.col) : before.CurrentChip));
        REQUIRE(s_.ZoomPending == before.ZoomPending);
        count("chip picks from the map");
        return;
    }
    REQUIRE(s_.CurrentChip == before.CurrentChip && s_.PenDragActive == before.PenDragActive);
    REQUIRE(s_.MapModified == before.MapModified);
}

// The zoom step applied at the clicked cell, pulled back so that the view ends at the map's edge.
void Session::checkZoomPick(const Scalars& before) {
    const int cs = 1 << (before.ZoomStep - 1);
    const int n = ViewPixels / cs;
    const int col = std::max(0, std::min(before.ViewCol + before.HoverCol, s_.MapWidth - n));
    const int row = std::max(0, std::min(before.ViewRow + before.HoverRow, s_.MapHeight - n));
    REQUIRE(s_.ZoomPending == 0);
    REQUIRE(s_.CellSize == cs && s_.ZoomStep == before.ZoomStep);
    REQUIRE(s_.ViewCol == col && s_.ViewRow == row);
    REQUIRE(map_.Shape1->geometry() == QRect(0, 0, std::max(cs, 5), std::max(cs, 5)));
    REQUIRE(s_.PenDragActive == before.PenDragActive && s_.MapModified == before.MapModified);
    count("zoom picks");
}

// What the palette shows at a window point: the sheet where it is visible, else the still copy.
std::optional<int> Session::chipShownAt(QPoint windowPoint) const {
    PictureWidget* picture = palette_.Image1->isHidden() ? palette_.Image2 : palette_.Image1;
    const QPoint q = picture->mapFrom(&palette_, windowPoint);
    const Bitmap& b = picture->bitmap();
    if (q.x() < 0 || q.y() < 0 || q.x() >= b.width() || q.y() >= b.height()) return std::nullopt;
    const auto it = chipOfColour_.find(b.pixel(q.x(), q.y()));
    if (it == chipOfColour_.end()) return std::nullopt;
    return it->second;
}

// Any button selects the chip the frame shows, and the new-map preview shows it too.
void Session::pressPaletteFrame(Qt::MouseButton button, QPoint local) {
    const std::optional<int> shown = chipShownAt(palette_.Shape1->pos() + QPoint(16, 16));
    pressButton(palette_.Shape1, button, local.x(), local.y());
    if (!shown) return; // the frame lies beyond the sheet
    REQUIRE(s_.CurrentChip == *shown);
    REQUIRE(dialog_.Image1->bitmap().pixel(16, 16) == chipColour(*shown));
    count("chips chosen in the palette");
}

void Session::pressStampFrame(Qt::MouseButton button, QPoint local) {
    const int b = stamps_.CurrentBank();
    const int row = stamps_.StampHoverRow, col = stamps_.StampHoverCol;
    const int drag = stamps_.StampDragActive;
    const std::int32_t chip = s_.CurrentChip;
    const bool transparent = stamps_.TransparentMode == 1;
    pressButton(stamps_.Shape1, button, local.x(), local.y());
    const std::int32_t cell = stampCell(s_.StampBanks, b, row, col);
    if (button == Qt::LeftButton) {
        REQUIRE(stamps_.StampDragActive == 1);
        REQUIRE(cell == (transparent ? TransparentChip : chip));
        stampGridRedrawn_ = true;
        count("stamp cells set by click");
    } else if (button == Qt::RightButton) {
        REQUIRE(stamps_.StampDragActive == 0);
        REQUIRE(s_.CurrentChip == (transparent ? chip : cell));
    } else {
        REQUIRE(stamps_.StampDragActive == drag && s_.CurrentChip == chip);
    }
}

// ---------------------------------------------------------------------------------------------
// Scrolling

// Arrows and page areas, the thumb dragged, the keyboard or the wheel.
void Session::scrollAsUser(QScrollBar* bar) {
    const std::string which = nameOf(bar);
    const int kind = uniform(0, 9);
    if (kind < 6) {
        static constexpr QAbstractSlider::SliderAction kSteps[] = {
            QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
            QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
            QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
        const auto a = kSteps[uniform(0, 5)];
        action_ = cat("scroll ", which, " by slider action ", int(a));
        bar->triggerAction(a);
    } else if (kind < 8) {
        const int p = uniform(bar->minimum(), bar->maximum());
        action_ = cat("drag the thumb of ", which, " to ", p);
        bar->setSliderPosition(p);
        bar->triggerAction(QAbstractSlider::SliderMove);
    } else if (kind == 8) {
        static constexpr Qt::Key kKeys[] = {Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,
                                            Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                                            Qt::Key_Home, Qt::Key_End};
        const Qt::Key key = kKeys[uniform(0, 7)];
        action_ = cat("key ", int(key), " on ", which);
        QTest::keyClick(bar, key);
    } else {
        const int delta = chance(50) ? 120 : -120;
        action_ = cat("wheel ", delta, " on ", which);
        QWheelEvent wheel(QPointF(4, 4), bar->mapToGlobal(QPointF(4, 4)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &wheel);
    }
}

void Session::scrollMap() {
    QScrollBar* bar = map_.ScrollBar2->isVisible() && (!map_.ScrollBar1->isVisible() || chance(50))
                          ? map_.ScrollBar2
                          : map_.ScrollBar1;
    const Scalars before = scalars();
    const QPoint frame = map_.Shape1->pos();
    scrollAsUser(bar);
    // One bar moves one coordinate of the origin, and the cursor stays where it is.
    if (bar == map_.ScrollBar2)
        REQUIRE(s_.ViewRow == before.ViewRow);
    else
        REQUIRE(s_.ViewCol == before.ViewCol);
    REQUIRE(map_.Shape1->pos() == frame);
    REQUIRE(s_.PenDragActive == before.PenDragActive && s_.CurrentChip == before.CurrentChip);
}

void Session::scrollPalette() {
    QScrollBar* bar =
        palette_.ScrollBar2->isVisible() && (!palette_.ScrollBar1->isVisible() || chance(50))
            ? palette_.ScrollBar2
            : palette_.ScrollBar1;
    const int before = bar->value();
    const QPoint frame = palette_.Shape1->pos();
    scrollAsUser(bar);
    // Every change of position shows the still copy; the frame keeps its place in the window.
    if (bar->value() != before) REQUIRE(palette_.Image1->isHidden());
    REQUIRE(palette_.Shape1->pos() == frame);
}

// ---------------------------------------------------------------------------------------------
// Toolbar, view menu and stamp editor commands

void Session::toolCommand() {
    struct Tool {
        const char* name;
        QPushButton* TMainWindow::*button;
        QAction* TMainWindow::*item;
    };
    static const Tool kTools[] = {
        {"PenButton1", &TMainWindow::PenButton1, nullptr},
        {"PenButton2", &TMainWindow::PenButton2, nullptr},
        {"PenButton3", &TMainWindow::PenButton3, nullptr},
        {"PenButton4", &TMainWindow::PenButton4, nullptr},
        {"StampButton", &TMainWindow::StampButton, nullptr},
        {"ZoomInButton", &TMainWindow::ZoomInButton, nullptr},
        {"ZoomOutButton", &TMainWindow::ZoomOutButton, nullptr},
        {"SEButton", &TMainWindow::SEButton, nullptr},
        {"ChipShowButton", &TMainWindow::ChipShowButton, nullptr},
        {"MapShowButton", &TMainWindow::MapShowButton, nullptr},
        {"menu MapChipWindow1", nullptr, &TMainWindow::MapChipWindow1},
        {"menu MapWindow1", nullptr, &TMainWindow::MapWindow1},
    };
    const int k = uniform(0, int(std::size(kTools)) - 1);
    const Tool& tool = kTools[k];
    const bool enabled =
        tool.button ? (main_.*tool.button)->isEnabled() : (main_.*tool.item)->isEnabled();
    if (!enabled) {
        action_ = cat(tool.name, " is off: not clicked");
        return;
    }
    action_ = cat("click ", tool.name);
    const Scalars before = scalars();
    const bool stampsWere = stamps_.isVisible();
    const bool paletteWas = palette_.isVisible();
    const bool mapWasChecked = main_.MapWindow1->isChecked();
    if (tool.button)
        (main_.*tool.button)->click();
    else
        (main_.*tool.item)->trigger();

    switch (k) {
    case 0:
    case 1:
    case 2:
    case 3:
        REQUIRE(s_.PenSize == kPenSizes[k] && s_.StampMode == 0);
        REQUIRE(!(main_.*tool.button)->isEnabled() && main_.StampButton->isEnabled());
        model_.toolChosen = true;
        break;
    case 4:
        REQUIRE(s_.StampMode == 1 && s_.PenSize == before.PenSize);
        REQUIRE(!main_.StampButton->isEnabled() && main_.PenButton1->isEnabled());
        model_.toolChosen = true;
        break;
    case 5:
    case 6: {
        const bool in = k == 5;
        QPushButton* button = in ? main_.ZoomInButton : main_.ZoomOutButton;
        if (in ? before.ZoomStep >= 7 : before.ZoomStep <= 1) {
            REQUIRE(s_.ZoomStep == before.ZoomStep && s_.ZoomPending == before.ZoomPending);
            REQUIRE(button->isEnabled());
            break;
        }
        REQUIRE(s_.ZoomStep == before.ZoomStep + (in ? 1 : -1) && s_.ZoomPending == 1);
        REQUIRE(!button->isEnabled() && s_.CellSize == before.CellSize);
        REQUIRE(map_.Shape1->toolTip() == (in ? QStringLiteral("拡大　基準座標を選んでください")
                                              : QStringLiteral("縮小　基準座標を選んでください")));
        count("zoom steps armed");
        break;
    }
    case 7:
        REQUIRE(stamps_.isVisible() == !stampsWere);
        model_.stampDrawn = true;
        stampGridRedrawn_ = true;
        break;
    case 8:
    case 10:
        REQUIRE(palette_.isVisible() == !paletteWas);
        REQUIRE(main_.MapChipWindow1->isChecked() == palette_.isVisible());
        break;
    case 9:
    case 11:
        REQUIRE(map_.isVisible() == !mapWasChecked);
        REQUIRE(main_.MapWindow1->isChecked() == map_.isVisible());
        break;
    }
}

void Session::stampCommand() {
    // The cell of the old bank that each move brings to (r, c).
    struct BankMove {
        const char* name;
        QPushButton* TStampWindow::*button;
        int (*from)(int r, int c);
    };
    static const BankMove kMoves[] = {
        {"UpShift", &TStampWindow::UpShift, [](int r, int c) { return (r + 1) % 10 * 10 + c; }},
        {"DownShift", &TStampWindow::DownShift, [](int r, int c) { return (r + 9) % 10 * 10 + c; }},
        {"LeftShift", &TStampWindow::LeftShift, [](int r, int c) { return r * 10 + (c + 1) % 10; }},
        {"RightShift", &TStampWindow::RightShift,
         [](int r, int c) { return r * 10 + (c + 9) % 10; }},
        {"Button3 (left-right mirror)", &TStampWindow::Button3,
         [](int r, int c) { return r * 10 + 9 - c; }},
        {"Button2 (top-bottom mirror)", &TStampWindow::Button2,
         [](int r, int c) { return (9 - r) * 10 + c; }},
    };
    const int b = stamps_.CurrentBank();
    const auto old = bank(b);
    const int k = uniform(0, 3 + int(std::size(kMoves)));
    if (k == 0) {
        const int to = uniform(0, StampBankCount - 1);
        action_ = cat("TrackBar1 to ", to);
        stamps_.TrackBar1->setValue(to);
        REQUIRE(stamps_.CurrentBank() == to);
        if (to != b) model_.stampDrawn = stampGridRedrawn_ = true;
    } else if (k == 1 || k == 2) {
        QRadioButton* radio = k == 1 ? stamps_.RadioButton1 : stamps_.RadioButton2;
        action_ = k == 1 ? "RadioButton1 (通常)" : "RadioButton2 (透明)";
        radio->click();
        REQUIRE(stamps_.TransparentMode == (k == 2 ? 1 : 0));
    } else if (k == 3) {
        action_ = "Button1 (クリア)";
        const std::int32_t value = stamps_.TransparentMode == 1 ? TransparentChip : s_.CurrentChip;
        stamps_.Button1->click();
        const auto now = bank(b);
        REQUIRE(std::all_of(now.begin(), now.end(), [&](std::int32_t v) { return v == value; }));
        model_.stampDrawn = stampGridRedrawn_ = true;
    } else {
        const BankMove& move = kMoves[k - 4];
        action_ = move.name;
        (stamps_.*move.button)->click();
        const auto now = bank(b);
        for (int r = 0; r < StampSide; ++r)
            for (int c = 0; c < StampSide; ++c)
                if (now[r * 10 + c] != old[move.from(r, c)])
                    return fail(cat("stamp cell (", r, ", ", c, ") after ", move.name));
        model_.stampDrawn = stampGridRedrawn_ = true;
    }
}

void Session::closeWindow() {
    std::vector<QWidget*> open;
    for (QWidget* w : {static_cast<QWidget*>(&map_), static_cast<QWidget*>(&palette_),
                       static_cast<QWidget*>(&stamps_)})
        if (w->isVisible()) open.push_back(w);
    QWidget* w = open[uniform(0, int(open.size()) - 1)];
    action_ = cat("close box of ", nameOf(w));
    w->close();
    REQUIRE(!w->isVisible());
    if (w == &map_) REQUIRE(!main_.MapWindow1->isChecked());
    if (w == &palette_) REQUIRE(!main_.MapChipWindow1->isChecked());
}

// Paints, timers and posted events, which the direct event sends above never run.
void Session::letEventsRun() {
    QApplication::processEvents();
}

// ---------------------------------------------------------------------------------------------
// New map, save and open

void Session::newMapCommand() {
    const bool asks = s_.MapModified == 1;
    Answer answer = Answer::No;
    std::optional<QString> saveTo;
    const MapContents current = shadowContents();
    if (asks) {
        const int k = uniform(0, 99);
        answer = k < 60 ? Answer::No : k < 85 ? Answer::Cancel : Answer::Yes;
        t_.dialogs.answer(answer);
        if (answer == Answer::Yes) saveTo = queueSaveTarget();
    }
    action_ = cat("NewButton", !asks                      ? ""
                               : answer == Answer::No     ? ", answering No"
                               : answer == Answer::Cancel ? ", answering Cancel"
                                                          : ", answering Yes");
    const bool dialogWas = dialog_.isVisible();
    const bool mapWas = map_.isVisible();
    main_.NewButton->click();
    checkMessages(asks ? 1 : 0, MessageButtons::YesNoCancel);
    if (answer == Answer::Cancel) {
        REQUIRE(dialog_.isVisible() == dialogWas && map_.isVisible() == mapWas);
        REQUIRE(s_.MapModified == 1);
        return;
    }
    if (saveTo) {
        REQUIRE(s_.MapModified == 0);
        checkSaved(*saveTo, current);
    }
    model_.mapShown = false;
    model_.toolChosen = false;
    REQUIRE(dialog_.isVisible() && !map_.isVisible() && !palette_.isVisible());
    REQUIRE(!stamps_.isVisible());
    REQUIRE(!dialog_.Button1->isEnabled() && dialog_.Image1->isHidden());
}

void Session::chooseSheet() {
    const bool confirmWas = dialog_.Button1->isEnabled();
    const int widthWas = palette_.sheet().width();
    const std::int32_t chipWas = s_.CurrentChip;
    const int k = uniform(0, 99);
    if (k < 20) {
        // Cancelled in the file dialog, or turned down with a message: nothing changes.
        if (k < 8) {
            action_ = "参照, file dialog cancelled";
            t_.dialogs.cancelFile();
        } else {
            const QString path = refused_[uniform(0, int(refused_.size()) - 1)];
            action_ = cat("参照, choosing ", str(path));
            t_.dialogs.chooseFile(path);
            messagesAllowed_ = true;
        }
        dialog_.Button2->click();
        REQUIRE(dialog_.Button1->isEnabled() == confirmWas);
        REQUIRE(palette_.sheet().width() == widthWas && s_.CurrentChip == chipWas);
        return;
    }
    const int i = uniform(0, int(std::size(kSheets)) - 1);
    action_ = cat("参照, choosing ", kSheets[i].name);
    t_.dialogs.chooseFile(sheetPaths_[i]);
    dialog_.Button2->click();
    checkFreshSheet(kSheets[i].width, kSheets[i].height);
    REQUIRE(palette_.Shape1->pos() == QPoint(0, 0));
    REQUIRE(s_.CurrentChip == 0 && dialog_.Button1->isEnabled());
    REQUIRE(!dialog_.Image1->isHidden() && dialog_.Image1->bitmap().pixel(16, 16) == chipColour(0));
    REQUIRE(main_.ChipShowButton->isEnabled() && main_.MapChipWindow1->isChecked());
    count("sheets chosen");
}

QString Session::randomSizeText() {
    static const char* const kJunk[] = {"",   "0",   "5",    "-20", "abc", "12ab",
                                        " 7", "+50", "0500", "9",   "1e3", "x"};
    const int k = uniform(0, 99);
    if (k < 45) return QString::number(uniform(10, 60));
    if (k < 65) return QString::number(uniform(61, 300));
    if (k < 80) return QString::number(uniform(301, 1000));
    if (k < 85) return QString::number(uniform(1001, 9999));
    return QString::fromLatin1(kJunk[uniform(0, int(std::size(kJunk)) - 1)]);
}

void Session::typeSize() {
    action_ = "type";
    for (QLineEdit* field : {dialog_.Edit1, dialog_.Edit2}) {
        if (!chance(70)) continue;
        const QString text = randomSizeText();
        action_ += cat(field == dialog_.Edit1 ? " width \"" : " height \"", str(text), "\"");
        field->clear();
        QTest::keyClicks(field, text);
        REQUIRE(field->text() == text.left(4));
    }
}

// The size a field gives when it holds plain digits: forced into 10..1000.
std::optional<int> plainSize(const QString& text) {
    if (text.isEmpty() ||
        !std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= '0' && ch <= '9'; }))
        return std::nullopt;
    return std::clamp(text.toInt(), MinMapSide, MaxMapSide);
}

void Session::confirmNewMap() {
    if (!dialog_.Button1->isEnabled()) {
        action_ = "決定 is off: not clicked";
        return;
    }
    const std::optional<int> width = plainSize(dialog_.Edit1->text());
    const std::optional<int> height = plainSize(dialog_.Edit2->text());
    const Scalars before = scalars();
    action_ = cat("決定 with \"", str(dialog_.Edit1->text()), "\" x \"", str(dialog_.Edit2->text()),
                  "\"");
    dialog_.Button1->click();
    REQUIRE(s_.MapWidth >= MinMapSide && s_.MapWidth <= MaxMapSide);
    REQUIRE(s_.MapHeight >= MinMapSide && s_.MapHeight <= MaxMapSide);
    if (width) REQUIRE(s_.MapWidth == *width);
    if (height) REQUIRE(s_.MapHeight == *height);
    // Only the new map's rectangle is filled; the rest of the grid keeps what it held.
    for (int r = 0; r < s_.MapHeight; ++r)
        std::fill_n(&shadow(r, 0), s_.MapWidth, before.CurrentChip);
    checkWholeGrid();
    REQUIRE(banksAllZero());
    REQUIRE(s_.MapModified == 1 && main_.CurrentFileName().isEmpty());
    REQUIRE(!dialog_.isVisible() && map_.isVisible());
    REQUIRE(map_.Shape1->geometry() == QRect(0, 0, s_.CellSize, s_.CellSize));
    if (before.ZoomPending == 0) REQUIRE(s_.ViewCol == 0 && s_.ViewRow == 0 && s_.ZoomStep == 6);
    model_.mapExists = model_.mapShown = true;
    count("maps set up");
}

void Session::cancelNewMap() {
    if (chance(20)) {
        action_ = "close box of the new-map dialog";
        dialog_.close();
    } else {
        action_ = "キャンセル";
        dialog_.Button3->click();
    }
    REQUIRE(!dialog_.isVisible() && !palette_.isVisible());
    REQUIRE(!main_.MapChipWindow1->isChecked() && !main_.MapChipWindow1->isEnabled());
    REQUIRE(!main_.ChipShowButton->isEnabled());
}

QString Session::savePathFor(int k) const {
    return t_.path(QStringLiteral("map%1.map").arg(k));
}

// A Yes in the unsaved-changes prompt saves over the current file, or through the save dialog
// when the map has no file yet.
QString Session::queueSaveTarget() {
    if (!main_.CurrentFileName().isEmpty()) return main_.CurrentFileName();
    const QString path = savePathFor(uniform(0, 2));
    t_.dialogs.chooseFile(path);
    return path;
}

void Session::saveAs() {
    const QString path = savePathFor(uniform(0, 2));
    action_ = cat("NameSaveButton to ", str(path));
    const MapContents current = shadowContents();
    t_.dialogs.chooseFile(path);
    main_.NameSaveButton->click();
    REQUIRE(s_.MapModified == 0 && main_.CurrentFileName() == path);
    REQUIRE(main_.OverWriteSaveButton->isEnabled() && main_.Save->isEnabled());
    checkSaved(path, current);
}

void Session::overwriteSave() {
    const QString path = main_.CurrentFileName();
    action_ = cat("OverWriteSaveButton to ", str(path));
    const MapContents current = shadowContents();
    main_.OverWriteSaveButton->click();
    REQUIRE(s_.MapModified == 0);
    checkSaved(path, current);
}

void Session::openSavedMap() {
    const auto file = std::next(saved_.begin(), uniform(0, int(saved_.size()) - 1));
    const QString path = file->first;
    const bool viaMenu = chance(30);
    const bool asks = s_.MapModified == 1;
    const MapContents current = shadowContents();
    const Scalars before = scalars();
    const bool stampsWere = stamps_.isVisible();
    std::optional<QString> saveTo;
    t_.dialogs.chooseFile(path);
    if (asks) {
        const bool yes = chance(20);
        t_.dialogs.answer(yes ? Answer::Yes : Answer::No);
        if (yes) saveTo = queueSaveTarget();
    }
    action_ = cat(viaMenu ? "menu LoadFile" : "OpenButton", " of ", str(path),
                  !asks    ? ""
                  : saveTo ? ", answering Yes"
                           : ", answering No");
    if (viaMenu)
        main_.LoadFile->trigger();
    else
        main_.OpenButton->click();
    checkMessages(asks ? 1 : 0, MessageButtons::YesNo);
    if (saveTo) checkSaved(*saveTo, current);

    const MapContents& expected = saved_.at(path); // what a save in the prompt just wrote
    REQUIRE(s_.MapWidth == expected.width && s_.MapHeight == expected.height);
    REQUIRE(s_.SheetFileName == expected.sheetPath);
    putInShadow(expected);
    checkWholeGrid();
    REQUIRE(s_.MapModified == 0 && main_.CurrentFileName() == path);
    if (viaMenu)
        REQUIRE(stamps_.isVisible() == stampsWere);
    else
        REQUIRE(banksAllZero() && !stamps_.isVisible());
    const auto sheet = std::find(sheetPaths_.begin(), sheetPaths_.end(),
                                 QString::fromStdString(expected.sheetPath));
    REQUIRE(sheet != sheetPaths_.end());
    const SheetSpec& spec = kSheets[sheet - sheetPaths_.begin()];
    checkFreshSheet(spec.width, spec.height);
    REQUIRE(!dialog_.isVisible() && map_.isVisible());
    if (before.ZoomPending == 0) REQUIRE(s_.ViewCol == 0 && s_.ViewRow == 0 && s_.ZoomStep == 6);
    model_.mapExists = model_.mapShown = true;
    count("maps opened");
}

// ---------------------------------------------------------------------------------------------
// The shadow grid and small helpers

void Session::penInShadow(Cell anchor, int pen, std::int32_t chip) {
    for (int i = 0; i < pen; ++i)
        for (int j = 0; j < pen; ++j)
            if (anchor.row + i < s_.MapHeight && anchor.col + j < s_.MapWidth)
                shadow(anchor.row + i, anchor.col + j) = chip;
}

void Session::stampInShadow(Cell anchor, int b) {
    for (int i = 0; i < StampSide; ++i) {
        for (int j = 0; j < StampSide; ++j) {
            const std::int32_t v = stampCell(s_.StampBanks, b, i, j);
            if (v != TransparentChip && anchor.row + i < s_.MapHeight &&
                anchor.col + j < s_.MapWidth)
                shadow(anchor.row + i, anchor.col + j) = v;
        }
    }
}

MapContents Session::shadowContents() const {
    MapContents m;
    m.sheetPath = s_.SheetFileName;
    m.width = s_.MapWidth;
    m.height = s_.MapHeight;
    for (int r = 0; r < m.height; ++r)
        for (int c = 0; c < m.width; ++c)
            m.cells.push_back(shadow_[std::size_t(r) * GridSide + c]);
    return m;
}

void Session::putInShadow(const MapContents& contents) {
    for (int r = 0; r < contents.height; ++r)
        for (int c = 0; c < contents.width; ++c)
            shadow(r, c) = contents.at(r, c);
}

Scalars Session::scalars() const {
    const EditorState& s = s_;
    return {s.MapWidth,      s.MapHeight,   s.CellSize,    s.ViewCol,   s.ViewRow,
            s.ZoomPending,   s.ZoomStep,    s.MapModified, s.StampMode, s.PenSize,
            s.PenDragActive, s.CurrentChip, s.HoverCol,    s.HoverRow};
}

// Whole chips on the sheet now in the palette.
int Session::fullChips() const {
    const Bitmap& sheet = palette_.sheet();
    return (sheet.width() / ChipPixels) * (sheet.height() / ChipPixels);
}

std::array<std::int32_t, StampCells> Session::bank(int b) const {
    std::array<std::int32_t, StampCells> out{};
    std::copy_n(s_.StampBanks.begin() + b * StampCells, StampCells, out.begin());
    return out;
}

bool Session::banksAllZero() const {
    return std::all_of(s_.StampBanks.begin(), s_.StampBanks.end(),
                       [](std::int32_t v) { return v == 0; });
}

std::string Session::nameOf(const QWidget* w) const {
    const std::pair<const QWidget*, const char*> names[] = {
        {&map_, "the map window"},
        {map_.Image1, "map Image1"},
        {map_.Shape1, "map Shape1"},
        {map_.ScrollBar1, "map ScrollBar1"},
        {map_.ScrollBar2, "map ScrollBar2"},
        {&palette_, "the palette window"},
        {palette_.Image1, "palette Image1"},
        {palette_.Image2, "palette Image2"},
        {palette_.Shape1, "palette Shape1"},
        {palette_.ScrollBar1, "palette ScrollBar1"},
        {palette_.ScrollBar2, "palette ScrollBar2"},
        {&stamps_, "the stamp editor"},
        {stamps_.Image1, "stamp Image1"},
        {stamps_.Shape1, "stamp Shape1"},
        {stamps_.TrackBar1, "stamp TrackBar1"}};
    for (const auto& [widget, name] : names)
        if (widget == w) return name;
    return cat("a ", w->metaObject()->className(), " of ", w->window()->metaObject()->className());
}

std::string Session::stateSummary() const {
    const EditorState& s = s_;
    return cat("map ", s.MapWidth, " x ", s.MapHeight, ", CellSize ", s.CellSize, ", view (",
               s.ViewCol, ", ", s.ViewRow, "), ZoomStep ", s.ZoomStep, ", ZoomPending ",
               s.ZoomPending, ", hover (", s.HoverCol, ", ", s.HoverRow, ") at cell size ",
               model_.hoverCellSize, ", PenSize ", s.PenSize, ", StampMode ", s.StampMode,
               ", PenDragActive ", s.PenDragActive, ", MapModified ", s.MapModified,
               ", CurrentChip ", s.CurrentChip, ", sheet ", palette_.sheet().width(), " x ",
               palette_.sheet().height(), " scrolled (", s.SheetScrollX, ", ", s.SheetScrollY,
               "), bank ", stamps_.CurrentBank(), ", map on screen ", model_.mapShown);
}

TEST(RandomizedSession, InvariantsHoldThroughTensOfThousandsOfUserActions) {
    const std::uint32_t seed = envNumber("TILORA_RANDOM_SEED", kDefaultSeed);
    const int steps = int(envNumber("TILORA_RANDOM_STEPS", kDefaultSteps));
    Session session(seed);
    const auto start = std::chrono::steady_clock::now();
    const std::string failure = session.run(steps);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    std::cout << "[ session  ] seed " << seed << ": " << session.stepsRun() << " steps in "
              << took.count() << " s;";
    for (const auto& [event, n] : session.tally())
        std::cout << " " << event << " " << n << ";";
    std::cout << std::endl;
    if (!failure.empty()) FAIL() << failure;
    // A session long enough to mean something has done each kind of thing at least once.
    if (steps >= 5000) {
        for (const char* event :
             {"maps set up", "pen clicks", "stamp pastes", "drag-painting moves", "zoom picks",
              "chips chosen in the palette", "maps saved", "maps opened",
              "stamp cells set by click"})
            EXPECT_GT(session.tally().count(event) ? session.tally().at(event) : 0, 0) << event;
    }
}

} // namespace
} // namespace tilora::test
