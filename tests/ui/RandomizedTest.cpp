// A long random walk through the live editor: pointer moves, clicks, scrolls, tool and stamp
// commands, new maps, saves and loads, each one something a user could do at that moment. After
// every step the editor's invariants are checked; the map grid is compared with a shadow copy this
// test keeps from what each paint should have written (around the painted block at once, the whole
// grid every few hundred steps). The sequence is fixed by the seed; TILORA_RANDOM_SEED and
// TILORA_RANDOM_STEPS run other sequences. A failure names the seed, step, action and state.

#include "TestApp.h"

#include "core/MapFile.h"
#include "core/Shapes.h"
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

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace tilora::test {
namespace {

// gcc says __SANITIZE_ADDRESS__, clang __has_feature(address_sanitizer).
#if defined(__SANITIZE_ADDRESS__)
#define TILORA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TILORA_UNDER_ASAN 1
#endif
#endif
#ifdef TILORA_UNDER_ASAN
constexpr int kDefaultSteps = 15000; // each step is several times slower under the sanitizer
#else
constexpr int kDefaultSteps = 30000;
#endif
constexpr std::uint32_t kDefaultSeed = 20240611u;
constexpr int kWholeGridCheckEvery = 200;
constexpr int kViewSamples = 12;      // view cells compared with the grid after each step
constexpr Pixel kWhite = 0xFFFFFFFFu; // the middle of the transparent-cell picture
constexpr int kPenSizes[] = {1, 2, 4, 8};

// Sheets the chooser takes: no scroll bars, both, each one alone, a single chip, and a height that
// is not a multiple of 32.
struct TestSheet {
    const char* name;
    int width, height;
};
constexpr TestSheet kSheets[] = {{"small.bmp", 256, 256}, {"big.bmp", 640, 640},
                                 {"tall.bmp", 256, 640},  {"wide.bmp", 640, 96},
                                 {"one.bmp", 32, 32},     {"ragged.bmp", 352, 330}};
constexpr int kMostChips = 20 * 21; // more than any sheet above holds, partial chips included

template <class... Args> std::string cat(const Args&... args) {
    std::ostringstream out;
    (out << ... << args);
    return out.str();
}
std::string str(const QString& s) {
    return s.toStdString();
}
bool isFlag(int v) {
    return v == 0 || v == 1;
}
// The pixel-to-cell rule: 0..size is cell 0, size+1..2*size cell 1, and so on.
int cellAt(int pixel, int size) {
    return pixel <= size ? 0 : (pixel - 1) / size;
}
// The palette counts its cells in the viewport: the chips scrolled past, then the rule above.
int paletteCellAt(int sheetPixel, int scroll) {
    return scroll / ChipPixels + cellAt(sheetPixel - scroll, ChipPixels);
}
std::uint32_t envNumber(const char* name, std::uint32_t fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::uint32_t(std::strtoul(v, nullptr, 10)) : fallback;
}
// The size a field gives when it holds plain digits: forced into 10..1000.
std::optional<int> plainSize(const QString& text) {
    if (text.isEmpty() ||
        !std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= '0' && ch <= '9'; }))
        return std::nullopt;
    return std::clamp(text.toInt(), MinMapSide, MaxMapSide);
}

struct Cell {
    int row, col;
};
// The scalar state before a step, for the checks after it.
struct Scalars {
    int CellSize, ViewCol, ViewRow, ZoomPending, ZoomStep, MapModified, StampMode, PenSize,
        PenDragActive, CurrentChip, HoverCol, HoverRow;
};

#define REQUIRE(cond)                                                                              \
    do {                                                                                           \
        if (!(cond)) return fail("expected " #cond);                                               \
    } while (false)

struct Walk {
    std::map<std::string, int> tally;

    struct Action {
        const char* name;
        int weight;
        std::function<bool()> possible;
        std::function<void()> run;
    };
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(int percent) { return uniform(0, 99) < percent; }
    QPoint pointIn(const QRect& r) {
        return {uniform(r.left(), std::max(r.left(), r.right())),
                uniform(r.top(), std::max(r.top(), r.bottom()))};
    }
    void fail(const std::string& what) {
        if (failure_.empty())
            failure_ = cat("seed ", seed_, ", step ", step_, " (", action_, "): ", what,
                           "\n  state: ", stateLine());
    }
    std::string stateLine() const {
        const EditorState& s = s_;
        return cat("map ", s.MapWidth, "x", s.MapHeight, " cell ", s.CellSize, " view (", s.ViewCol,
                   ",", s.ViewRow, ") zoom ", s.ZoomStep, "/", s.ZoomPending, " hover (",
                   s.HoverCol, ",", s.HoverRow, ") pen ", s.PenSize, " stamp ", s.StampMode,
                   " drag ", s.PenDragActive, " modified ", s.MapModified, " chip ", s.CurrentChip,
                   " sheet ", palette_.sheet().width(), "x", palette_.sheet().height(), " bank ",
                   stamps_.CurrentBank());
    }

    Scalars scalars() const {
        const EditorState& s = s_;
        return {s.CellSize,  s.ViewCol, s.ViewRow,       s.ZoomPending, s.ZoomStep, s.MapModified,
                s.StampMode, s.PenSize, s.PenDragActive, s.CurrentChip, s.HoverCol, s.HoverRow};
    }
    std::int32_t& shadow(int row, int col) { return shadow_[std::size_t(row) * GridSide + col]; }
    int fullChips() const {
        return (palette_.sheet().width() / ChipPixels) * (palette_.sheet().height() / ChipPixels);
    }
    // What the current chip may become: a chip of the sheet, or a stamp cell's transparent chip.
    bool sheetHas(std::int32_t chip) const {
        return chip == TransparentChip || (chip >= 0 && chip < fullChips());
    }
    std::vector<std::int32_t> bank(int b) const {
        return {s_.StampBanks.begin() + b * StampCells,
                s_.StampBanks.begin() + (b + 1) * StampCells};
    }
    bool banksAllZero() const {
        return std::all_of(s_.StampBanks.begin(), s_.StampBanks.end(),
                           [](std::int32_t v) { return v == 0; });
    }
    // A Yes in an unsaved-changes prompt saves over the current file, or through the save dialog.
    QString queueSaveTarget() {
        if (!t_.fileName().isEmpty()) return t_.fileName();
        const QString path = t_.path(QStringLiteral("map%1.map").arg(uniform(0, 2)));
        t_.dialogs.chooseFile(path);
        return path;
    }
    void mapLaidOut(int zoomPendingBefore) {
        if (zoomPendingBefore == 0) REQUIRE(s_.ViewCol == 0 && s_.ViewRow == 0 && s_.ZoomStep == 6);
        REQUIRE(!dialog_.isVisible() && map_.isVisible());
        mapExists_ = mapShown_ = true;
        join_.reset();
    }

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
    std::vector<Action> actions_;
    QWidget* pointerWindow_ = nullptr;
    QPoint pointerPos_;

    bool mapExists_ = false; // a map has been set up or loaded
    bool mapShown_ = false;  // the map view was refreshed since the last new-map command
    struct SheetInUse {
        std::string name;
        QSize sheetSize;
        std::int32_t chip = 0;
    } beforeDialog_;          // as the new-map dialog found it when it opened
    bool toolChosen_ = false; // a pen or the stamp was chosen since that command
    bool stampDrawn_ = false; // the stamp editor has drawn a bank
    int hoverCellSize_ = 32;  // CellSize when the map's hover cell was last tracked

    std::vector<QString> sheetPaths_; // in the order of kSheets
    std::vector<QString> refused_;    // choices the sheet chooser turns down with a message
    std::unordered_map<Pixel, int> chipOfColour_;
    std::map<QString, MapContents> saved_; // map files written, with what they must hold

    int step_ = 0;
    std::string action_;
    std::string failure_;
    std::size_t messagesBefore_ = 0;
    bool messagesAllowed_ = false; // the step may show OK boxes (a refused sheet)
    std::optional<Cell> painted_;  // anchor of the block painted in this step
    // The pen run's last painted cell and the view's origin and cell size then: a move in the
    // same view joins its cell to it by a line of pen squares.
    struct Join {
        Cell cell;
        int viewRow, viewCol, cellSize;
    };
    std::optional<Join> join_;
    bool stampGridRedrawn_ = false;

    explicit Walk(std::uint32_t seed)
        : main_(*t_->MainWindow), map_(*t_->MapWindow), palette_(*t_->MapChipWindow),
          dialog_(*t_->StartUpWindow), stamps_(*t_->StampWindow), s_(t_.state()), seed_(seed),
          rng_(seed), checkRng_(seed ^ 0x5bd1e995u), shadow_(s_.MapCells) {
        t_->start();
        for (const TestSheet& sheet : kSheets)
            sheetPaths_.push_back(writeSheetBmp(t_.path(sheet.name), sheet.width, sheet.height));
        for (const char* name : {"notes.txt", "broken.bmp"}) {
            QFile f(t_.path(name));
            if (f.open(QIODevice::WriteOnly)) f.write("BM, but not a bitmap\r\n");
            refused_.push_back(t_.path(name));
        }
        refused_.push_back(writeSheetBmp(t_.path("narrow.bmp"), 16, 64)); // no whole chip across
        for (int k = 0; k < kMostChips; ++k)
            chipOfColour_[chipColour(k)] = k;

        auto visible = [](QWidget* w) { return [w] { return w->isVisible(); }; };
        auto moveIn = [this](QWidget& w, const std::function<QRect()>& area) {
            return [this, &w, area] { moveTo(w, area()); };
        };
        auto click = [this](const std::function<void()>& moveFirst) {
            return [this, moveFirst] {
                moveFirst();
                if (failure_.empty()) pressAtPointer();
            };
        };
        // The pointer mostly lands on the picture, sometimes anywhere in the window.
        auto overMap = [this] { return chance(85) ? map_.Image1->geometry() : map_.rect(); };
        auto overPalette = [this] {
            return chance(85) ? palette_.rect().intersected(QRect(0, 0, ViewPixels, ViewPixels))
                              : palette_.rect();
        };
        auto overStamps = [this] {
            return chance(80) ? stamps_.Image1->geometry() : stamps_.rect();
        };
        auto dialogUp = visible(&dialog_);
        // Weights are relative; an action counts only while it is possible.
        actions_ = {
            {"move over the map view", 160, visible(&map_), moveIn(map_, overMap)},
            {"click on the map view", 120, visible(&map_), click(moveIn(map_, overMap))},
            {"move over the palette", 60, visible(&palette_), moveIn(palette_, overPalette)},
            {"click on the palette", 30, visible(&palette_), click(moveIn(palette_, overPalette))},
            {"move over the stamp editor", 40, visible(&stamps_), moveIn(stamps_, overStamps)},
            {"click in the stamp editor", 20, visible(&stamps_),
             click(moveIn(stamps_, overStamps))},
            // The still copy covers the palette's client area, so only a move sent to the form
            // itself reaches the form's own handler, which shows the live sheet again.
            {"move over the palette form", 10, visible(&palette_),
             [this] {
                 pointerWindow_ = &palette_;
                 pointerPos_ = pointIn(palette_.rect());
                 movePointer(&palette_, pointerPos_.x(), pointerPos_.y());
                 REQUIRE(!palette_.Image1->isHidden());
             }},
            {"press at the pointer", 60,
             [this] { return pointerWindow_ && pointerWindow_->isVisible(); },
             [this] { pressAtPointer(); }},
            {"scroll the map view", 60,
             [this] { return map_.ScrollBar1->isVisible() || map_.ScrollBar2->isVisible(); },
             [this] { scroll(map_.ScrollBar2, map_.ScrollBar1); }},
            {"scroll the palette", 40,
             [this] {
                 return palette_.ScrollBar1->isVisible() || palette_.ScrollBar2->isVisible();
             },
             [this] { scroll(palette_.ScrollBar2, palette_.ScrollBar1); }},
            {"tool or view command", 70, [] { return true; }, [this] { toolCommand(); }},
            {"stamp editor command", 40, visible(&stamps_), [this] { stampCommand(); }},
            {"close a window", 3,
             [this] { return map_.isVisible() || palette_.isVisible() || stamps_.isVisible(); },
             [this] {
                 std::vector<QWidget*> open;
                 for (QWidget* w : {(QWidget*)&map_, (QWidget*)&palette_, (QWidget*)&stamps_})
                     if (w->isVisible()) open.push_back(w);
                 QWidget* w = open[uniform(0, int(open.size()) - 1)];
                 action_ = cat("close box of ", w->metaObject()->className());
                 w->close();
                 REQUIRE(!w->isVisible());
                 REQUIRE((w != &map_ || !main_.MapWindow1->isChecked()) &&
                         (w != &palette_ || !main_.MapChipWindow1->isChecked()));
             }},
            // Paints, timers and posted events, which the direct event sends never run.
            {"let the event loop run", 5, [] { return true; },
             [] { QApplication::processEvents(); }},
            {"new-map command", 4, [this] { return mapShown_; }, [this] { newMapCommand(); }},
            {"new-map command with no map open", 60,
             [this] { return !mapShown_ && !dialog_.isVisible(); }, [this] { newMapCommand(); }},
            {"new-map command with the dialog open", 1, dialogUp, [this] { newMapCommand(); }},
            {"dialog: choose a chip sheet", 40, dialogUp, [this] { chooseSheet(); }},
            {"dialog: type the size", 30, dialogUp, [this] { typeSize(); }},
            {"dialog: confirm", 30, dialogUp, [this] { confirmNewMap(); }},
            {"dialog: cancel", 4, dialogUp,
             [this] {
                 if (chance(20))
                     dialog_.close();
                 else
                     dialog_.Button3->click();
                 REQUIRE(!dialog_.isVisible() && !palette_.isVisible());
                 // Only "決定" takes the sheet tried in the dialog: the one in use is back.
                 REQUIRE(s_.SheetFileName == beforeDialog_.name &&
                         QSize(palette_.sheet().width(), palette_.sheet().height()) ==
                             beforeDialog_.sheetSize &&
                         s_.CurrentChip == beforeDialog_.chip);
                 REQUIRE(!main_.MapChipWindow1->isChecked() && !main_.MapChipWindow1->isEnabled());
                 REQUIRE(!main_.ChipShowButton->isEnabled());
             }},
            {"save as", 2, [this] { return main_.NameSaveButton->isEnabled(); },
             [this] { save(false); }},
            {"overwrite save", 1, [this] { return main_.OverWriteSaveButton->isEnabled(); },
             [this] { save(true); }},
            {"open a saved map", 2, [this] { return !saved_.empty(); }, [this] { openSavedMap(); }},
        };
    }

    std::string run(int steps) {
        for (step_ = 1; step_ <= steps && failure_.empty(); ++step_) {
            messagesBefore_ = t_.dialogs.messages.size();
            messagesAllowed_ = stampGridRedrawn_ = false;
            painted_.reset();
            int total = 0;
            for (const Action& a : actions_)
                total += a.possible() ? a.weight : 0;
            int k = uniform(0, total - 1);
            auto chosen = actions_.begin();
            while (!chosen->possible() || (k -= chosen->weight) >= 0)
                ++chosen;
            action_ = chosen->name;
            try {
                chosen->run();
            } catch (const std::exception& e) {
                fail(cat("exception: ", e.what()));
            }
            if (failure_.empty()) endStep();
        }
        if (failure_.empty()) checkGrid(0, GridSide, 0, GridSide);
        return failure_;
    }

    // ---------------------------------------------------------------------------------------------
    // Checks after every step

    void endStep() {
        if (!t_.dialogs.answers.empty() || !t_.dialogs.files.empty())
            return fail("a queued answer or file choice was not asked for");
        for (std::size_t i = messagesBefore_; i < t_.dialogs.messages.size(); ++i) {
            const MessageCall& m = t_.dialogs.messages[i];
            if (!messagesAllowed_ || m.buttons != MessageButtons::Ok)
                return fail(cat("unexpected message box \"", str(m.text), "\""));
        }
        checkInvariants();
        // The cells around a painted block, inside and outside the map, hold what the shadow says.
        if (painted_)
            checkGrid(std::max(0, painted_->row - 1), std::min(GridSide, painted_->row + 11),
                      std::max(0, painted_->col - 1), std::min(GridSide, painted_->col + 11));
        if (mapShown_) checkView();
        if (stampGridRedrawn_) checkStampGrid();
        if (step_ % kWholeGridCheckEvery == 0) checkGrid(0, GridSide, 0, GridSide);
    }

    void checkInvariants() {
        const EditorState& s = s_;
        REQUIRE(s.CellSize >= 1 && s.CellSize <= 64 && (s.CellSize & (s.CellSize - 1)) == 0);
        REQUIRE(s.ZoomStep >= 1 && s.ZoomStep <= 7);
        REQUIRE(isFlag(s.ZoomPending) && isFlag(s.StampMode) && isFlag(s.PenDragActive));
        REQUIRE(isFlag(s.MapModified));
        REQUIRE(std::count(std::begin(kPenSizes), std::end(kPenSizes), s.PenSize) == 1);
        const int n = ViewPixels / s.CellSize; // cells per view side
        REQUIRE(s.ViewCol >= 0 && s.ViewRow >= 0);
        REQUIRE(s.ViewCol + n <= GridSide && s.ViewRow + n <= GridSide);
        // The hover cell keeps the last tracked cell, counted at the cell size of that moment.
        REQUIRE(s.HoverCol >= 0 && s.HoverRow >= 0);
        REQUIRE(s.HoverCol * hoverCellSize_ < ViewPixels &&
                s.HoverRow * hoverCellSize_ < ViewPixels);
        if (mapExists_) {
            REQUIRE(s.MapWidth >= MinMapSide && s.MapWidth <= MaxMapSide);
            REQUIRE(s.MapHeight >= MinMapSide && s.MapHeight <= MaxMapSide);
            // The view ends at the map's edge at the latest, and starts at 0 on a map smaller than
            // it.
            REQUIRE(s.MapWidth >= n ? s.ViewCol + n <= s.MapWidth : s.ViewCol == 0);
            REQUIRE(s.MapHeight >= n ? s.ViewRow + n <= s.MapHeight : s.ViewRow == 0);
        }
        checkMainWindow();
        if (mapShown_) checkMapWindow();
        if (!palette_.sheet().isNull()) checkPalette();
        checkStampEditor();
    }

    void checkMainWindow() {
        QPushButton* const tools[] = {main_.PenButton1, main_.PenButton2, main_.PenButton3,
                                      main_.PenButton4, main_.StampButton};
        const auto off = std::count_if(std::begin(tools), std::end(tools),
                                       [](QPushButton* b) { return !b->isEnabled(); });
        if (!mapShown_) {
            // Without a map on screen every editing command is off.
            REQUIRE(off == 5 && !main_.SEButton->isEnabled() && !main_.MapShowButton->isEnabled());
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
        // At most one tool button is off, and it is the tool in use; a new map leaves PenButton1
        // off as the mark of the 1 x 1 pen whatever tool the last map used.
        REQUIRE(off <= 1);
        REQUIRE(main_.StampButton->isEnabled() || s_.StampMode == 1);
        for (int k = 1; k < 4; ++k)
            if (!tools[k]->isEnabled()) REQUIRE(s_.StampMode == 0 && s_.PenSize == kPenSizes[k]);
        if (toolChosen_ && !main_.PenButton1->isEnabled())
            REQUIRE(s_.StampMode == 0 && s_.PenSize == 1);
        if (s_.ZoomPending == 0)
            REQUIRE(main_.ZoomInButton->isEnabled() && main_.ZoomOutButton->isEnabled());
    }

    void checkMapWindow() {
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
        REQUIRE(map_.Shape1->shape() == (s_.ZoomPending == 1 ? ShapeWidget::Shape::Circle
                                                             : ShapeWidget::Shape::RoundSquare));
        if (s_.ZoomPending == 0) REQUIRE(map_.Shape1->toolTip().isEmpty());
        REQUIRE(s_.SheetColumns == palette_.sheet().width() / ChipPixels);
        checkMapBar(map_.ScrollBar2, s_.MapWidth, s_.ViewCol);
        checkMapBar(map_.ScrollBar1, s_.MapHeight, s_.ViewRow);
    }

    void checkMapBar(const QScrollBar* bar, int mapSide, int origin) {
        const int extent = mapSide * s_.CellSize;
        if (extent <= ViewPixels) REQUIRE(bar->isHidden());
        if (extent <= ViewPixels) return;
        REQUIRE(!bar->isHidden() && bar->minimum() == 0 && bar->maximum() == extent - ViewPixels);
        REQUIRE(bar->sliderPosition() == bar->value() && bar->value() / s_.CellSize == origin);
    }

    void checkPalette() {
        const Bitmap& sheet = palette_.sheet();
        REQUIRE(palette_.Image1->pos() == QPoint(-s_.SheetScrollX, -s_.SheetScrollY));
        for (auto [bar, side, scroll] :
             {std::tuple(palette_.ScrollBar2, sheet.width(), s_.SheetScrollX),
              std::tuple(palette_.ScrollBar1, sheet.height(), s_.SheetScrollY)}) {
            if (side <= ViewPixels) REQUIRE(bar->isHidden() && scroll == 0);
            if (side <= ViewPixels) continue;
            REQUIRE(!bar->isHidden() && bar->maximum() == side - ViewPixels);
            REQUIRE(scroll % ChipPixels == 0 && scroll >= 0 && scroll <= bar->maximum());
            REQUIRE(bar->value() == scroll && bar->sliderPosition() == scroll);
        }
        // The frame sits on the sheet's 32-pixel grid: scrolling moves the sheet by whole chips.
        REQUIRE(palette_.Shape1->x() % ChipPixels == 0 && palette_.Shape1->y() % ChipPixels == 0);
        if (!palette_.Image1->isHidden()) return;
        // The still copy shows the part of the sheet the viewport is scrolled to.
        const int px = std::uniform_int_distribution<int>(
            0, std::min(ViewPixels, sheet.width() - s_.SheetScrollX) - 1)(checkRng_);
        const int py = std::uniform_int_distribution<int>(
            0, std::min(ViewPixels, sheet.height() - s_.SheetScrollY) - 1)(checkRng_);
        REQUIRE(palette_.Image2->bitmap().pixel(px, py) ==
                sheet.pixel(px + s_.SheetScrollX, py + s_.SheetScrollY));
    }

    void checkStampEditor() {
        const TStampWindow& e = stamps_;
        REQUIRE(e.StampHoverCol >= 0 && e.StampHoverCol < StampSide);
        REQUIRE(e.StampHoverRow >= 0 && e.StampHoverRow < StampSide);
        REQUIRE(e.Shape1->pos() ==
                QPoint(e.StampHoverCol * ChipPixels, e.StampHoverRow * ChipPixels));
        REQUIRE(e.TransparentMode == (e.RadioButton2->isChecked() ? 1 : 0));
        REQUIRE(isFlag(e.StampDragActive));
        REQUIRE(e.CurrentBank() >= 0 && e.CurrentBank() < StampBankCount);
        if (stampDrawn_) REQUIRE(e.Label1->text() == QString::number(e.CurrentBank() + 1));
    }

    // Samples view cells (and every cell painted in this step) against the grid: each chip of the
    // test sheets is one colour, so any cell size shows it in its top-left pixel.
    void checkView() {
        const Bitmap& view = map_.Image1->bitmap();
        const int cs = s_.CellSize, n = ViewPixels / cs, chips = fullChips();
        std::vector<std::pair<int, int>> cells;
        std::uniform_int_distribution<int> any(0, n - 1);
        for (int k = 0; k < kViewSamples; ++k)
            cells.emplace_back(any(checkRng_), any(checkRng_));
        if (painted_)
            for (int i = painted_->row - s_.ViewRow; i < painted_->row - s_.ViewRow + StampSide;
                 ++i)
                for (int j = painted_->col - s_.ViewCol; j < painted_->col - s_.ViewCol + StampSide;
                     ++j)
                    if (i >= 0 && j >= 0 && i < n && j < n) cells.emplace_back(i, j);
        for (const auto& [i, j] : cells) {
            const std::int32_t chip = s_.cell(s_.ViewRow + i, s_.ViewCol + j);
            if (chip >= 0 && chip < chips && view.pixel(j * cs, i * cs) != chipColour(chip))
                return fail(cat("view cell (", i, ", ", j, ") does not show chip ", chip));
        }
    }

    void checkStampGrid() {
        const Bitmap& grid = stamps_.Image1->bitmap();
        const int b = stamps_.CurrentBank(), chips = fullChips();
        for (int r = 0; r < StampSide; ++r)
            for (int c = 0; c < StampSide; ++c) {
                const std::int32_t v = stampCell(s_.StampBanks, b, r, c);
                if (v >= chips || v < TransparentChip) continue;
                const Pixel expected = v == TransparentChip ? kWhite : chipColour(v);
                if (grid.pixel(c * ChipPixels + 16, r * ChipPixels + 16) != expected)
                    return fail(cat("stamp grid cell (", r, ", ", c, ") does not show ", v));
            }
    }

    void checkGrid(int r0, int r1, int c0, int c1) {
        for (int r = r0; r < r1; ++r) {
            const auto row = s_.MapCells.begin() + std::ptrdiff_t(r) * GridSide;
            const auto [got, want] = std::mismatch(
                row + c0, row + c1, shadow_.begin() + std::ptrdiff_t(r) * GridSide + c0);
            if (got == row + c1) continue;
            const int c = int(got - row);
            return fail(cat("grid cell (", r, ", ", c, ") holds ", *got, ", expected ", *want,
                            r < s_.MapHeight && c < s_.MapWidth ? " inside" : " outside",
                            " the map"));
        }
    }

    // Exactly `expected` new boxes in this step, all with these buttons and the unsaved-changes
    // caption.
    void checkMessages(std::size_t expected, MessageButtons buttons) {
        REQUIRE(t_.dialogs.messages.size() - messagesBefore_ == expected);
        for (std::size_t i = messagesBefore_; i < t_.dialogs.messages.size(); ++i) {
            REQUIRE(t_.dialogs.messages[i].buttons == buttons);
            REQUIRE(t_.dialogs.messages[i].caption == QStringLiteral("ちょっと待った！！"));
        }
        messagesBefore_ = t_.dialogs.messages.size(); // accounted for
    }

    // The file holds exactly the map the shadow says was saved.
    void checkSaved(const QString& path, const MapContents& expected) {
        QFile f(path);
        REQUIRE(f.open(QIODevice::ReadOnly));
        REQUIRE(f.readAll().toStdString() == formatMapFile(expected));
        saved_[path] = expected;
        ++tally["maps saved"];
    }

    // A sheet just laid out in the palette: shown from its top-left corner.
    void checkFreshSheet(const TestSheet& sheet) {
        REQUIRE(palette_.isVisible() && !palette_.Image1->isHidden());
        REQUIRE(palette_.sheet().width() == sheet.width &&
                palette_.sheet().height() == sheet.height);
        REQUIRE(s_.SheetScrollX == 0 && s_.SheetScrollY == 0 &&
                palette_.Image1->pos() == QPoint(0, 0));
    }

    // ---------------------------------------------------------------------------------------------
    // Pointer moves and presses, delivered as the window system does: to the topmost child

    void moveTo(QWidget& window, QRect area) {
        pointerWindow_ = &window;
        pointerPos_ = pointIn(area);
        QWidget* child = window.childAt(pointerPos_);
        QWidget* target = child ? child : &window;
        const QPoint local = target->mapFrom(&window, pointerPos_);
        const Scalars before = scalars();
        const bool stampDrag = stamps_.StampDragActive == 1;
        const std::int32_t stampValue =
            stamps_.TransparentMode == 1 ? TransparentChip : s_.CurrentChip;
        movePointer(target, local.x(), local.y());
        const int cs = before.CellSize;
        if (target == map_.Image1) {
            const int col = cellAt(local.x(), cs), row = cellAt(local.y(), cs);
            hoverCellSize_ = cs;
            REQUIRE(s_.HoverCol == col && s_.HoverRow == row);
            REQUIRE(map_.Shape1->pos() == QPoint(col * cs, row * cs));
            if (before.PenDragActive == 0) return;
            painted_ = Cell{before.ViewRow + row, before.ViewCol + col};
            const bool moved =
                join_ && (join_->cell.row != painted_->row || join_->cell.col != painted_->col);
            if (moved && join_->viewRow == before.ViewRow && join_->viewCol == before.ViewCol &&
                join_->cellSize == cs) {
                for (const RowSpan& span :
                     penLineSpans({join_->cell.row, join_->cell.col},
                                  {painted_->row, painted_->col}, before.PenSize, true))
                    for (int c = span.col; c < span.col + span.cols; ++c)
                        if (span.row >= 0 && c >= 0)
                            paintShadow({span.row, c}, 1, before.CurrentChip);
            } else {
                paintShadow(*painted_, before.PenSize, before.CurrentChip);
            }
            join_ = Join{*painted_, before.ViewRow, before.ViewCol, cs};
            ++tally["drag-painting moves"];
        } else if (target == stamps_.Image1) {
            const int col = cellAt(local.x(), ChipPixels), row = cellAt(local.y(), ChipPixels);
            REQUIRE(stamps_.StampHoverCol == col && stamps_.StampHoverRow == row);
            if (!stampDrag) return;
            REQUIRE(stampCell(s_.StampBanks, stamps_.CurrentBank(), row, col) == stampValue);
            stampGridRedrawn_ = true;
        } else if (target == palette_.Image1) {
            REQUIRE(
                palette_.Shape1->pos() ==
                QPoint(paletteCellAt(local.x(), s_.SheetScrollX) * ChipPixels - s_.SheetScrollX,
                       paletteCellAt(local.y(), s_.SheetScrollY) * ChipPixels - s_.SheetScrollY));
        } else if (target == palette_.Image2) {
            REQUIRE(!palette_.Image1->isHidden());
        }
    }

    void pressAtPointer() {
        QWidget* child = pointerWindow_->childAt(pointerPos_);
        QWidget* target = child ? child : pointerWindow_;
        const QPoint local = target->mapFrom(pointerWindow_, pointerPos_);
        const int k = uniform(0, 99);
        const Qt::MouseButton button = k < 50   ? Qt::LeftButton
                                       : k < 85 ? Qt::RightButton
                                                : Qt::MiddleButton;
        action_ += cat(", press ", int(button), " on ", target->metaObject()->className());
        // The frames are only drawn: presses land on the pictures beneath them.
        REQUIRE(target != map_.Shape1 && target != palette_.Shape1 && target != stamps_.Shape1);
        if (target == map_.Image1) return pressMapView(button, local);
        if (target == palette_.Image1 || target == palette_.Image2)
            return pressPalette(button, target, local);
        if (target == stamps_.Image1) return pressStampGrid(button, local);
        pressButton(target, button, local.x(), local.y());
    }

    // The press acts on the cell under the pointer, which the cursor then frames.
    void pressMapView(Qt::MouseButton button, QPoint local) {
        const Scalars before = scalars();
        const int cs = before.CellSize;
        const int col = cellAt(local.x(), cs), row = cellAt(local.y(), cs);
        const Cell at{before.ViewRow + row, before.ViewCol + col};
        const int b = stamps_.CurrentBank();
        pressButton(map_.Image1, button, local.x(), local.y());
        if (button != Qt::LeftButton || before.ZoomPending == 0) {
            hoverCellSize_ = cs;
            REQUIRE(s_.HoverCol == col && s_.HoverRow == row);
            REQUIRE(map_.Shape1->pos() == QPoint(col * cs, row * cs));
        }
        if (button == Qt::LeftButton && before.ZoomPending == 1) {
            // The zoom step applied at the clicked cell, pulled back so the view ends at the map
            // edge.
            const int zoomed = 1 << (before.ZoomStep - 1), n = ViewPixels / zoomed;
            REQUIRE(s_.ZoomPending == 0 && s_.CellSize == zoomed && s_.ZoomStep == before.ZoomStep);
            REQUIRE(s_.ViewCol == std::max(0, std::min(at.col, s_.MapWidth - n)));
            REQUIRE(s_.ViewRow == std::max(0, std::min(at.row, s_.MapHeight - n)));
            // The system pointer stays off the view (the walk's moves are events sent to the
            // widgets), so the hover cell and the cursor go to (0, 0).
            const int frame = std::max(zoomed, 5);
            REQUIRE(map_.Shape1->geometry() == QRect(0, 0, frame, frame));
            REQUIRE(s_.HoverCol == 0 && s_.HoverRow == 0);
            REQUIRE(s_.PenDragActive == before.PenDragActive &&
                    s_.MapModified == before.MapModified);
            join_.reset();
            ++tally["zoom picks"];
        } else if (button == Qt::LeftButton) {
            painted_ = at;
            if (before.StampMode == 1) {
                paintShadow(at, StampSide, 0, b);
                REQUIRE(s_.PenDragActive == before.PenDragActive);
                ++tally["stamp pastes"];
            } else {
                paintShadow(at, before.PenSize, before.CurrentChip);
                join_ = Join{at, s_.ViewRow, s_.ViewCol, s_.CellSize};
                REQUIRE(s_.PenDragActive == 1);
                ++tally["pen clicks"];
            }
            REQUIRE(s_.MapModified == 1);
        } else if (button == Qt::RightButton) {
            // The chip under the cursor, read even outside the map but never outside the grid.
            const bool inGrid = at.row < GridSide && at.col < GridSide;
            REQUIRE(s_.PenDragActive == 0 && s_.ZoomPending == before.ZoomPending);
            join_.reset();
            const std::int32_t picked = inGrid ? shadow(at.row, at.col) : before.CurrentChip;
            REQUIRE(s_.CurrentChip == (sheetHas(picked) ? picked : before.CurrentChip));
        } else {
            REQUIRE(s_.CurrentChip == before.CurrentChip &&
                    s_.PenDragActive == before.PenDragActive);
            REQUIRE(s_.MapModified == before.MapModified);
        }
    }

    // Any button selects the chip under the pointer, on the sheet or on its still copy; the frame
    // and the new-map preview show it.
    void pressPalette(Qt::MouseButton button, QWidget* target, QPoint local) {
        const QPoint onSheet =
            target == palette_.Image2 ? local + QPoint(s_.SheetScrollX, s_.SheetScrollY) : local;
        const int col = paletteCellAt(onSheet.x(), s_.SheetScrollX),
                  row = paletteCellAt(onSheet.y(), s_.SheetScrollY);
        const std::int32_t chipWas = s_.CurrentChip;
        const QPoint middle(col * ChipPixels + 16, row * ChipPixels + 16);
        const Bitmap& sheet = palette_.sheet();
        std::optional<int> chip;
        if (middle.x() < sheet.width() && middle.y() < sheet.height())
            if (auto it = chipOfColour_.find(sheet.pixel(middle.x(), middle.y()));
                it != chipOfColour_.end())
                chip = it->second;
        pressButton(target, button, local.x(), local.y());
        REQUIRE(!palette_.Image1->isHidden());
        REQUIRE(palette_.Shape1->pos() ==
                QPoint(col * ChipPixels - s_.SheetScrollX, row * ChipPixels - s_.SheetScrollY));
        if (!chip) { // beside the sheet, or a partial chip at its edge: nothing chosen
            REQUIRE(s_.CurrentChip == chipWas);
            return;
        }
        REQUIRE(s_.CurrentChip == *chip);
        REQUIRE(dialog_.Image1->bitmap().pixel(16, 16) == chipColour(*chip));
        ++tally["chips chosen in the palette"];
    }

    void pressStampGrid(Qt::MouseButton button, QPoint local) {
        const int b = stamps_.CurrentBank(), row = cellAt(local.y(), ChipPixels),
                  col = cellAt(local.x(), ChipPixels);
        const int drag = stamps_.StampDragActive;
        const std::int32_t chip = s_.CurrentChip;
        const bool transparent = stamps_.TransparentMode == 1;
        pressButton(stamps_.Image1, button, local.x(), local.y());
        REQUIRE(stamps_.StampHoverRow == row && stamps_.StampHoverCol == col);
        const std::int32_t cell = stampCell(s_.StampBanks, b, row, col);
        if (button == Qt::LeftButton) {
            REQUIRE(stamps_.StampDragActive == 1 && cell == (transparent ? TransparentChip : chip));
            stampGridRedrawn_ = true;
            ++tally["stamp cells set by click"];
        } else if (button == Qt::RightButton) {
            REQUIRE(stamps_.StampDragActive == 0 &&
                    s_.CurrentChip == (transparent || !sheetHas(cell) ? chip : cell));
        } else {
            REQUIRE(stamps_.StampDragActive == drag && s_.CurrentChip == chip);
        }
    }

    // ---------------------------------------------------------------------------------------------
    // Scrolling: arrows and page areas, the thumb dragged, the keyboard or the wheel

    void scroll(QScrollBar* horizontal, QScrollBar* vertical) {
        QScrollBar* bar = horizontal->isVisible() && (!vertical->isVisible() || chance(50))
                              ? horizontal
                              : vertical;
        const bool onMap = bar->window() == &map_;
        const Scalars before = scalars();
        const int valueBefore = bar->value();
        QWidget* frame = onMap ? static_cast<QWidget*>(map_.Shape1) : palette_.Shape1;
        const QPoint framePos = frame->pos();
        // Arrows, page areas and the keys and wheel, which all come as these actions, or the thumb.
        static constexpr QAbstractSlider::SliderAction kWays[] = {
            QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
            QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
            QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum,
            QAbstractSlider::SliderMove,          QAbstractSlider::SliderMove};
        const auto way = kWays[uniform(0, 7)];
        action_ += cat(bar == horizontal ? " across" : " down", ", action ", int(way));
        if (way == QAbstractSlider::SliderMove)
            bar->setSliderPosition(uniform(bar->minimum(), bar->maximum()));
        bar->triggerAction(way);
        // The cursor or frame keeps its place in the window.
        REQUIRE(frame->pos() == framePos);
        if (onMap) {
            // One bar moves one coordinate of the origin.
            REQUIRE(bar == horizontal ? s_.ViewRow == before.ViewRow
                                      : s_.ViewCol == before.ViewCol);
            REQUIRE(s_.PenDragActive == before.PenDragActive &&
                    s_.CurrentChip == before.CurrentChip);
        } else if (bar->value() != valueBefore) {
            REQUIRE(palette_.Image1->isHidden()); // every change of position shows the still copy
        }
    }

    // ---------------------------------------------------------------------------------------------
    // Toolbar, view menu and stamp editor commands

    void toolCommand() {
        QPushButton* const buttons[] = {
            main_.PenButton1,     main_.PenButton2,   main_.PenButton3,    main_.PenButton4,
            main_.StampButton,    main_.ZoomInButton, main_.ZoomOutButton, main_.SEButton,
            main_.ChipShowButton, main_.MapShowButton};
        const int k = uniform(0, int(std::size(buttons)) + 1); // 10, 11: the view menu's items
        QAction* item = k == 10 ? main_.MapChipWindow1 : k == 11 ? main_.MapWindow1 : nullptr;
        action_ = cat("command ", k);
        if (item ? !item->isEnabled() : !buttons[k]->isEnabled()) return; // cannot be clicked
        const Scalars before = scalars();
        const bool stampsWere = stamps_.isVisible(), paletteWas = palette_.isVisible();
        const bool mapWas = main_.MapWindow1->isChecked();
        item ? item->trigger() : buttons[k]->click();
        if (k < 5) {
            REQUIRE(k == 4 ? s_.StampMode == 1 && s_.PenSize == before.PenSize
                           : s_.StampMode == 0 && s_.PenSize == kPenSizes[k]);
            toolChosen_ = true;
        } else if (k < 7) { // zoom in or out: armed, applied at the next left click on the map
            const int to = before.ZoomStep + (k == 5 ? 1 : -1);
            if (to < 1 || to > 7)
                REQUIRE(s_.ZoomStep == before.ZoomStep && s_.ZoomPending == before.ZoomPending);
            else
                REQUIRE(s_.ZoomStep == to && s_.ZoomPending == 1 &&
                        s_.CellSize == before.CellSize && !buttons[k]->isEnabled() &&
                        !map_.Shape1->toolTip().isEmpty());
        } else if (k == 7) {
            REQUIRE(stamps_.isVisible() == !stampsWere);
            stampDrawn_ = stampGridRedrawn_ = true;
        } else if (k == 8 || k == 10) {
            REQUIRE(palette_.isVisible() == !paletteWas);
            REQUIRE(main_.MapChipWindow1->isChecked() == palette_.isVisible());
        } else {
            REQUIRE(map_.isVisible() == !mapWas);
        }
    }

    void stampCommand() {
        // For each bank move, the cell of the old bank that it brings to (r, c).
        using From = int (*)(int r, int c);
        const std::pair<QPushButton*, From> moves[] = {
            {stamps_.UpShift, [](int r, int c) { return (r + 1) % 10 * 10 + c; }},
            {stamps_.DownShift, [](int r, int c) { return (r + 9) % 10 * 10 + c; }},
            {stamps_.LeftShift, [](int r, int c) { return r * 10 + (c + 1) % 10; }},
            {stamps_.RightShift, [](int r, int c) { return r * 10 + (c + 9) % 10; }},
            {stamps_.Button3, [](int r, int c) { return r * 10 + 9 - c; }},   // left-right mirror
            {stamps_.Button2, [](int r, int c) { return (9 - r) * 10 + c; }}, // top-bottom mirror
        };
        const int b = stamps_.CurrentBank();
        const auto old = bank(b);
        const int k = uniform(0, 3 + int(std::size(moves)));
        action_ = cat("stamp command ", k);
        if (k == 0) {
            const int to = uniform(0, StampBankCount - 1);
            stamps_.TrackBar1->setValue(to);
            REQUIRE(stamps_.CurrentBank() == to);
            if (to != b) stampDrawn_ = stampGridRedrawn_ = true;
        } else if (k == 1 || k == 2) {
            (k == 1 ? stamps_.RadioButton1 : stamps_.RadioButton2)->click();
            REQUIRE(stamps_.TransparentMode == k - 1);
        } else if (k == 3) { // クリア
            const std::int32_t value =
                stamps_.TransparentMode == 1 ? TransparentChip : s_.CurrentChip;
            stamps_.Button1->click();
            const auto now = bank(b);
            REQUIRE(
                std::all_of(now.begin(), now.end(), [&](std::int32_t v) { return v == value; }));
            stampDrawn_ = stampGridRedrawn_ = true;
        } else {
            const auto& [button, from] = moves[k - 4];
            button->click();
            const auto now = bank(b);
            for (int r = 0; r < StampSide; ++r)
                for (int c = 0; c < StampSide; ++c)
                    if (now[r * 10 + c] != old[from(r, c)])
                        return fail(cat("stamp cell (", r, ", ", c, ") after the bank move"));
            stampDrawn_ = stampGridRedrawn_ = true;
        }
    }

    // ---------------------------------------------------------------------------------------------
    // New map, save and open

    void newMapCommand() {
        const bool asks = s_.MapModified == 1;
        Answer answer = Answer::No;
        std::optional<QString> saveTo;
        const MapContents current = shadowContents();
        if (asks) {
            const int k = uniform(0, 99);
            answer = k < 60 ? Answer::No : k < 85 ? Answer::Cancel : Answer::Yes;
            t_.dialogs.answer(answer);
            if (answer == Answer::Yes) saveTo = queueSaveTarget();
            action_ += cat(", answering ", int(answer));
        }
        const bool dialogWas = dialog_.isVisible(), mapWas = map_.isVisible();
        if (!dialogWas)
            beforeDialog_ = {s_.SheetFileName,
                             QSize(palette_.sheet().width(), palette_.sheet().height()),
                             s_.CurrentChip};
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
        mapShown_ = toolChosen_ = false;
        REQUIRE(dialog_.isVisible() && !map_.isVisible() && !palette_.isVisible());
        REQUIRE(!stamps_.isVisible() && !dialog_.Button1->isEnabled() &&
                dialog_.Image1->isHidden());
    }

    void chooseSheet() {
        const bool confirmWas = dialog_.Button1->isEnabled();
        const int widthWas = palette_.sheet().width(), chipWas = s_.CurrentChip, k = uniform(0, 99);
        if (k < 20) { // cancelled in the file dialog, or turned down with a message: no change
            if (k < 8)
                t_.dialogs.cancelFile();
            else
                t_.dialogs.chooseFile(refused_[uniform(0, int(refused_.size()) - 1)]);
            messagesAllowed_ = k >= 8;
            action_ += cat(", refused ", k);
            dialog_.Button2->click();
            REQUIRE(dialog_.Button1->isEnabled() == confirmWas);
            REQUIRE(palette_.sheet().width() == widthWas && s_.CurrentChip == chipWas);
            return;
        }
        const int i = uniform(0, int(std::size(kSheets)) - 1);
        action_ += cat(" ", kSheets[i].name);
        t_.dialogs.chooseFile(sheetPaths_[i]);
        dialog_.Button2->click();
        checkFreshSheet(kSheets[i]);
        REQUIRE(palette_.Shape1->pos() == QPoint(0, 0) && s_.CurrentChip == 0);
        REQUIRE(dialog_.Button1->isEnabled() && !dialog_.Image1->isHidden());
        REQUIRE(dialog_.Image1->bitmap().pixel(16, 16) == chipColour(0));
        REQUIRE(main_.ChipShowButton->isEnabled() && main_.MapChipWindow1->isChecked());
    }

    void typeSize() {
        static const char* const kJunk[] = {"",   "0",   "5",    "-20", "abc", "12ab",
                                            " 7", "+50", "0500", "9",   "1e3", "x"};
        for (QLineEdit* field : {dialog_.Edit1, dialog_.Edit2}) {
            if (!chance(70)) continue;
            const int k = uniform(0, 99);
            const QString text = k < 45   ? QString::number(uniform(10, 60))
                                 : k < 65 ? QString::number(uniform(61, 300))
                                 : k < 80 ? QString::number(uniform(301, 1000))
                                 : k < 85 ? QString::number(uniform(1001, 9999))
                                          : QString::fromLatin1(kJunk[uniform(0, 11)]);
            action_ += cat(" \"", str(text), "\"");
            field->clear();
            QTest::keyClicks(field, text);
            REQUIRE(field->text() == text.left(4));
        }
    }

    void confirmNewMap() {
        if (!dialog_.Button1->isEnabled()) return; // 決定 is off: a user cannot click it
        const std::optional<int> width = plainSize(dialog_.Edit1->text());
        const std::optional<int> height = plainSize(dialog_.Edit2->text());
        const Scalars before = scalars();
        action_ +=
            cat(" \"", str(dialog_.Edit1->text()), "\" x \"", str(dialog_.Edit2->text()), "\"");
        dialog_.Button1->click();
        REQUIRE(s_.MapWidth >= MinMapSide && s_.MapWidth <= MaxMapSide);
        REQUIRE(s_.MapHeight >= MinMapSide && s_.MapHeight <= MaxMapSide);
        if (width) REQUIRE(s_.MapWidth == *width);
        if (height) REQUIRE(s_.MapHeight == *height);
        // Only the new map's rectangle is filled; the rest of the grid keeps what it held.
        for (int r = 0; r < s_.MapHeight; ++r)
            std::fill_n(&shadow(r, 0), s_.MapWidth, before.CurrentChip);
        checkGrid(0, GridSide, 0, GridSide);
        REQUIRE(banksAllZero());
        REQUIRE(s_.MapModified == 1 && t_.fileName().isEmpty());
        REQUIRE(map_.Shape1->geometry() ==
                QRect(0, 0, std::max(s_.CellSize, 5), std::max(s_.CellSize, 5)));
        mapLaidOut(before.ZoomPending);
        ++tally["maps set up"];
    }

    void save(bool overwrite) {
        const QString path =
            overwrite ? t_.fileName() : t_.path(QStringLiteral("map%1.map").arg(uniform(0, 2)));
        action_ += cat(" to ", str(path));
        const MapContents current = shadowContents();
        if (overwrite) {
            main_.OverWriteSaveButton->click();
        } else {
            t_.dialogs.chooseFile(path);
            main_.NameSaveButton->click();
        }
        REQUIRE(s_.MapModified == 0 && t_.fileName() == path);
        REQUIRE(main_.OverWriteSaveButton->isEnabled() && main_.Save->isEnabled());
        checkSaved(path, current);
    }

    void openSavedMap() {
        const QString path = std::next(saved_.begin(), uniform(0, int(saved_.size()) - 1))->first;
        const bool viaMenu = chance(30), asks = s_.MapModified == 1;
        const MapContents current = shadowContents();
        const int zoomPending = s_.ZoomPending;
        const bool stampsWere = stamps_.isVisible();
        std::optional<QString> saveTo;
        t_.dialogs.chooseFile(path);
        if (asks) {
            const bool yes = chance(20);
            t_.dialogs.answer(yes ? Answer::Yes : Answer::No);
            if (yes) saveTo = queueSaveTarget();
        }
        action_ += cat(viaMenu ? " via the menu, " : " via OpenButton, ", str(path),
                       asks ? (saveTo ? ", answering Yes" : ", answering No") : "");
        if (viaMenu)
            main_.LoadFile->trigger();
        else
            main_.OpenButton->click();
        checkMessages(asks ? 1 : 0, MessageButtons::YesNo);
        if (saveTo) checkSaved(*saveTo, current);

        const MapContents& expected = saved_.at(path); // what a save in the prompt just wrote
        REQUIRE(s_.MapWidth == expected.width && s_.MapHeight == expected.height);
        REQUIRE(s_.SheetFileName == expected.sheetPath);
        for (int r = 0; r < expected.height; ++r)
            for (int c = 0; c < expected.width; ++c)
                shadow(r, c) = expected.at(r, c);
        checkGrid(0, GridSide, 0, GridSide);
        REQUIRE(s_.MapModified == 0 && t_.fileName() == path);
        if (viaMenu)
            REQUIRE(stamps_.isVisible() == stampsWere);
        else
            REQUIRE(banksAllZero() && !stamps_.isVisible());
        const auto sheet = std::find(sheetPaths_.begin(), sheetPaths_.end(),
                                     QString::fromStdString(expected.sheetPath));
        REQUIRE(sheet != sheetPaths_.end());
        checkFreshSheet(kSheets[sheet - sheetPaths_.begin()]);
        mapLaidOut(zoomPending);
        ++tally["maps opened"];
    }

    // ---------------------------------------------------------------------------------------------
    // The shadow grid. A pen writes its chip (whatever it is) and a stamp its non-transparent
    // cells, both only inside the map.
    void paintShadow(Cell anchor, int side, std::int32_t chip, int stampBank = -1) {
        for (int i = 0; i < side && anchor.row + i < s_.MapHeight; ++i)
            for (int j = 0; j < side && anchor.col + j < s_.MapWidth; ++j) {
                const std::int32_t v =
                    stampBank < 0 ? chip : stampCell(s_.StampBanks, stampBank, i, j);
                if (stampBank < 0 || v != TransparentChip)
                    shadow(anchor.row + i, anchor.col + j) = v;
            }
    }

    MapContents shadowContents() const {
        MapContents m;
        m.sheetPath = s_.SheetFileName;
        m.width = s_.MapWidth;
        m.height = s_.MapHeight;
        for (int r = 0; r < m.height; ++r)
            for (int c = 0; c < m.width; ++c)
                m.cells.push_back(shadow_[std::size_t(r) * GridSide + c]);
        return m;
    }
};

TEST(RandomizedWalk, InvariantsHoldThroughTensOfThousandsOfUserActions) {
    const std::uint32_t seed = envNumber("TILORA_RANDOM_SEED", kDefaultSeed);
    const int steps = int(envNumber("TILORA_RANDOM_STEPS", kDefaultSteps));
    Walk walk(seed);
    const auto start = std::chrono::steady_clock::now();
    const std::string failure = walk.run(steps);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::cout << "[ walk     ] seed " << seed << ", " << walk.step_ - 1 << " steps in "
              << took.count() << " s;";
    for (const auto& [event, n] : walk.tally)
        std::cout << " " << event << " " << n << ";";
    std::cout << std::endl;
    ASSERT_TRUE(failure.empty()) << failure;
    // A walk long enough to mean something has done each kind of thing at least once.
    if (steps < 5000) return;
    for (const char* event :
         {"maps set up", "pen clicks", "stamp pastes", "drag-painting moves", "zoom picks",
          "chips chosen in the palette", "maps saved", "maps opened", "stamp cells set by click"})
        EXPECT_GT(walk.tally[event], 0) << event;
}

} // namespace
} // namespace tilora::test
