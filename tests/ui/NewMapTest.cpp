// The new-map dialog: its layout, the size fields, the sheet chooser and confirm / abandon.

#include "FileCommandsSupport.h"
#include "TestApp.h"

#include "mapview/TMapWindow.h"
#include "newmap/SheetChecks.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/RefreshMapView.h"
#include "shell/TMainWindow.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace tilora::test {
namespace {

const QString kCaution = QStringLiteral("注意");

// Starts the editor and opens the new-map dialog.
TStartUpWindow& openDialog(TestApp& t) {
    t->start();
    t->StartUpWindow->showDialog();
    return *t->StartUpWindow;
}

// Writes a generated sheet, scripts the file dialog to pick it and presses "参照".
QString chooseSheet(TestApp& t, int width, int height,
                    const QString& name = QStringLiteral("sheet.bmp")) {
    const QString path = writeSheetBmp(t.path(name), width, height);
    t.dialogs.chooseFile(path);
    t->StartUpWindow->Button2Click();
    return path;
}

// Types a size into both fields and confirms with a click from code (the focus stays put).
void typeAndConfirm(TStartUpWindow& d, const QString& width, const QString& height) {
    d.Edit1->setText(width);
    d.Edit2->setText(height);
    d.Button1->click();
}

// ---------------------------------------------------------------------------------------------
// Layout

QString captionOf(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    return {};
}

TEST(NewMapDialog, ComponentsSitWhereTheLayoutPutsThem) {
    TestApp t;
    TStartUpWindow& d = *t->StartUpWindow;
    const struct {
        const char* name;
        const char* parent; // nullptr: the dialog
        QRect rect;
        const char* caption;
    } expected[] = {
        {"Label5", nullptr, {8, 5, 273, 52}, nullptr},
        {"GroupBox1", nullptr, {8, 64, 129, 73}, "作成するマップの横幅"},
        {"Label1", "GroupBox1", {16, 16, 90, 12}, "（チップの数です）"},
        {"Label3", "GroupBox1", {32, 32, 42, 12}, "10-1000"},
        {"Edit1", "GroupBox1", {32, 48, 49, 20}, "10"},
        {"GroupBox2", nullptr, {8, 144, 129, 73}, "作成するマップの縦幅"},
        {"Label2", "GroupBox2", {24, 16, 90, 12}, "（チップの数です）"},
        {"Label4", "GroupBox2", {32, 32, 42, 12}, "10-1000"},
        {"Edit2", "GroupBox2", {32, 48, 49, 20}, "10"},
        {"GroupBox5", nullptr, {152, 64, 129, 73}, "使用するビットマップ"},
        {"Button2", "GroupBox5", {8, 24, 105, 25}, "参照"},
        {"GroupBox3", nullptr, {152, 144, 129, 73}, " 初期化チップの設定"},
        {"Image1", "GroupBox3", {48, 24, 32, 32}, nullptr},
        {"Button1", nullptr, {8, 224, 273, 25}, "決定"},
        {"Button3", nullptr, {8, 256, 273, 25}, "キャンセル"},
    };
    for (const auto& p : expected) {
        SCOPED_TRACE(p.name);
        QWidget* w = d.findChild<QWidget*>(QLatin1String(p.name));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(),
                  p.parent ? d.findChild<QWidget*>(QLatin1String(p.parent)) : &d);
        EXPECT_EQ(w->pos(), p.rect.topLeft());
        if (auto* label = qobject_cast<QLabel*>(w); label && label != d.Label5) {
            // Sized to its text: never smaller than laid out, never clipping the text.
            EXPECT_GE(w->width(), std::max(p.rect.width(), label->sizeHint().width()));
            EXPECT_GE(w->height(), p.rect.height());
        } else {
            EXPECT_EQ(w->size(), p.rect.size());
        }
        if (p.caption) {
            EXPECT_EQ(captionOf(w), QString::fromUtf8(p.caption));
        }
    }
    EXPECT_EQ(d.windowTitle(), QStringLiteral("初期設定"));
    EXPECT_EQ(d.size(), QSize(285, 283));
}

TEST(NewMapDialog, NoticeKeepsItsExactBlanks) {
    TestApp t;
    QLabel* label = t->StartUpWindow->Label5;
    const QString blank(QLatin1Char(' '));
    const QString wide(QChar(0x3000));
    const QString expected =
        blank.repeated(3) + QStringLiteral("当ソフトでご使用頂けるマップチップは") +
        blank.repeated(21) + QStringLiteral("１チップ３２×３２ドットで構成されたビットマップです") +
        wide.repeated(2) + QStringLiteral("縦横幅が３２の倍数のビットマップでないと") +
        wide.repeated(7) + QStringLiteral("誤動作の原因となります") + blank +
        QStringLiteral("ご注意下さい");
    EXPECT_EQ(label->text(), expected);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST(NewMapDialog, FontsStartStateAndButtons) {
    TestApp t;
    TStartUpWindow& d = *t->StartUpWindow;
    const QString gothicP = QStringLiteral("ＭＳ Ｐゴシック");
    for (QLineEdit* e : {d.Edit1, d.Edit2}) {
        EXPECT_EQ(e->font().family(), gothicP);
        EXPECT_EQ(e->font().pixelSize(), 16);
        EXPECT_TRUE(e->font().bold());
        EXPECT_EQ(e->maxLength(), 4);
    }
    EXPECT_EQ(d.Button1->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(d.Button1->font().pixelSize(), 15);
    EXPECT_FALSE(d.Button1->font().bold());
    for (QWidget* w :
         std::initializer_list<QWidget*>{d.Label5, d.Label1, d.Button2, d.Button3, d.GroupBox3}) {
        EXPECT_EQ(w->font().family(), gothicP);
        EXPECT_EQ(w->font().pixelSize(), 12);
    }

    EXPECT_FALSE(d.Button1->isEnabled());
    EXPECT_TRUE(d.Image1->isHidden());
    EXPECT_EQ(QSize(d.Image1->bitmap().width(), d.Image1->bitmap().height()), QSize(32, 32));
    for (QPushButton* b : {d.Button1, d.Button2, d.Button3})
        EXPECT_FALSE(b->autoDefault() || b->isDefault());

    const Qt::WindowFlags flags = d.windowFlags();
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);

    // Keyboard order: Button1, the width field, the height field, "参照", "キャンセル".
    std::vector<QWidget*> order;
    QWidget* w = d.Button1;
    do {
        if (w->focusPolicy() & Qt::TabFocus) order.push_back(w);
        w = w->nextInFocusChain();
    } while (w != d.Button1 && order.size() < 20);
    EXPECT_EQ(order, (std::vector<QWidget*>{d.Button1, d.Edit1, d.Edit2, d.Button2, d.Button3}));
}

TEST(NewMapDialog, DisabledConfirmButtonLooksDisabled) {
    TestApp t;
    TStartUpWindow& d = *t->StartUpWindow;
    // The darkest pixel of the button as drawn: the enabled caption is black.
    const auto darkest = [&d] {
        const QImage image = d.Button1->grab().toImage();
        int least = 255;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                least = std::min(least, qGray(image.pixel(x, y)));
        return least;
    };
    d.Button1->setEnabled(true);
    EXPECT_LT(darkest(), 16);
    d.Button1->setEnabled(false);
    EXPECT_GT(darkest(), 64);
}

TEST(NewMapDialog, OpensMaximisedWithControlsAtTopLeft) {
    TestApp t;
    TStartUpWindow& d = openDialog(t);
    EXPECT_TRUE(d.isVisible() && d.isMaximized());
    EXPECT_EQ(d.Label5->pos(), QPoint(8, 5));
    d.hide();
    d.showDialog();
    EXPECT_TRUE(d.isMaximized());
}

// ---------------------------------------------------------------------------------------------
// Size fields

const struct {
    const char* typed;
    const char* after; // the field's text after the check
    int value;         // what confirm makes of it
} kFieldCases[] = {
    {"5", "10", 10},       {"0", "10", 10},        {"-20", "10", 10},      {"abc", "10", 10},
    {"", "10", 10},        {"1001", "1000", 1000}, {"9999", "1000", 1000}, {"0500", "0500", 500},
    {"12ab", "12ab", 12},  {"５００", "10", 10},   {"10", "10", 10},       {"1000", "1000", 1000},
    {"+999", "+999", 999}, {" 42", " 42", 42},     {"9", "10", 10},
};

TEST(NewMapSizeField, CheckedWhenTheFocusLeaves) {
    TestApp t;
    TStartUpWindow& d = openDialog(t);
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    for (const auto& c : kFieldCases) {
        SCOPED_TRACE(c.typed);
        // Width: focus moves on to the height field; height: on to "参照".
        d.Edit1->setFocus();
        d.Edit1->setText(QString::fromUtf8(c.typed));
        d.Edit2->setFocus();
        EXPECT_EQ(d.Edit1->text(), QString::fromUtf8(c.after));
        d.Edit2->setText(QString::fromUtf8(c.typed));
        d.Button2->setFocus();
        EXPECT_EQ(d.Edit2->text(), QString::fromUtf8(c.after));
    }
}

TEST(NewMapSizeField, CheckedAgainAtConfirmWithoutLeavingTheField) {
    for (const auto& c : kFieldCases) {
        SCOPED_TRACE(c.typed);
        TestApp t;
        TStartUpWindow& d = openDialog(t);
        chooseSheet(t, 64, 64);
        typeAndConfirm(d, QString::fromUtf8(c.typed), QString::fromUtf8(c.typed));
        EXPECT_EQ(t.state().MapWidth, c.value);
        EXPECT_EQ(t.state().MapHeight, c.value);
        EXPECT_EQ(d.Edit1->text(), QString::fromUtf8(c.after));
        EXPECT_EQ(d.Edit2->text(), QString::fromUtf8(c.after));
    }
}

// ---------------------------------------------------------------------------------------------
// The whole flow

TEST(NewMapFlow, ChooseSheetTypeSizeConfirm) {
    TestApp t;
    TStartUpWindow& d = openDialog(t);
    TMainWindow& main = *t->MainWindow;
    EditorState& s = t.state();
    s.CurrentChip = 7;
    s.StampBanks[0] = -1;
    s.StampBanks[4999] = 12;
    t.setFileName(t.path(QStringLiteral("old.map")));

    const QString path = chooseSheet(t, 256, 128); // 8 x 4 chips
    ASSERT_EQ(t.dialogs.fileCalls.size(), 1u);
    const FileCall& call = t.dialogs.fileCalls[0];
    EXPECT_FALSE(call.save);
    EXPECT_EQ(call.request.defaultExt, QStringLiteral("BMP"));
    EXPECT_EQ(call.request.filter,
              QStringLiteral("ビットマップ(*.BMP)|*.BMP|PNG画像(*.PNG)|*.PNG"));
    EXPECT_EQ(call.request.title, QStringLiteral("使用するＢｉｔＭａｐファイルの読み込み"));
    EXPECT_TRUE(t.dialogs.messages.empty());

    // Accepted: the palette shows the sheet, chip 0 is current and previewed; the map names the
    // sheet only once confirmed.
    EXPECT_TRUE(s.SheetFileName.empty());
    EXPECT_TRUE(t->MapChipWindow->isVisible());
    EXPECT_EQ(t->MapChipWindow->sheet().width(), 256);
    EXPECT_TRUE(t->MapChipWindow->Shape1->isVisible());
    EXPECT_EQ(t->MapChipWindow->Shape1->pos(), QPoint(0, 0));
    EXPECT_TRUE(d.Image1->isVisible());
    EXPECT_EQ(d.Image1->bitmap().pixel(0, 0), chipColour(0));
    EXPECT_EQ(d.Image1->bitmap().pixel(31, 31), chipColour(0));
    EXPECT_EQ(s.CurrentChip, 0);
    EXPECT_TRUE(d.Button1->isEnabled());
    EXPECT_TRUE(main.MapChipWindow1->isEnabled() && main.MapChipWindow1->isChecked());
    EXPECT_TRUE(main.ChipShowButton->isEnabled());
    EXPECT_TRUE(main.OpenDialog1.FileName.isEmpty());

    // The user picks chip 9 in the palette and types the size.
    s.CurrentChip = 9;
    typeAndConfirm(d, QStringLiteral("40"), QStringLiteral("12"));

    EXPECT_EQ(s.MapWidth, 40);
    EXPECT_EQ(s.MapHeight, 12);
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 40; ++c)
            ASSERT_EQ(s.cell(r, c), 9) << r << "," << c;
    EXPECT_TRUE(
        std::all_of(s.StampBanks.begin(), s.StampBanks.end(), [](int v) { return v == 0; }));
    EXPECT_EQ(s.MapModified, 1);
    EXPECT_EQ(s.SheetFileName, path.toStdString());
    EXPECT_EQ(t.state().SheetFoundAt, QFile::encodeName(path).toStdString());
    EXPECT_TRUE(t.fileName().isEmpty());
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(t->MapWindow->isVisible());
    EXPECT_EQ(s.SheetColumns, 8);
    EXPECT_EQ(QPoint(s.ViewCol, s.ViewRow), QPoint(0, 0));

    // The view shows chip 9 in every cell; then a varied map shows each cell's own chip.
    const Bitmap& view = t->MapWindow->Image1->bitmap();
    EXPECT_EQ(view.pixel(5, 5), chipColour(9));
    EXPECT_EQ(view.pixel(319, 319), chipColour(9));
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 40; ++c)
            s.cell(r, c) = (r * 7 + c) % 32;
    RefreshMapView(*t);
    for (auto [i, j] : {std::pair{0, 0}, {0, 9}, {3, 4}, {9, 0}, {9, 9}})
        EXPECT_EQ(view.pixel(j * 32 + 16, i * 32 + 16), chipColour(s.cell(i, j))) << i << "," << j;
}

TEST(NewMapFlow, SmallerMapKeepsTheCellsOutsideIt) {
    TestApp t;
    t->start();
    TStartUpWindow& d = *t->StartUpWindow;
    for (auto [chip, size] : {std::pair{2, "30"}, {5, "10"}}) {
        d.showDialog();
        chooseSheet(t, 128, 64);
        t.state().CurrentChip = chip;
        typeAndConfirm(d, QString::fromUtf8(size), QString::fromUtf8(size));
    }
    const EditorState& s = t.state();
    EXPECT_EQ(QSize(s.MapWidth, s.MapHeight), QSize(10, 10));
    EXPECT_EQ(s.cell(0, 0), 5);
    EXPECT_EQ(s.cell(9, 9), 5);
    EXPECT_EQ(s.cell(0, 10), 2);
    EXPECT_EQ(s.cell(10, 0), 2);
    EXPECT_EQ(s.cell(29, 29), 2);
    EXPECT_EQ(s.cell(30, 30), 0);
}

// Abandoning by "キャンセル" and by the close box, after trying another sheet: the loaded map
// keeps its sheet, and saving it writes line 1 as it was.
TEST(NewMapFlow, AbandonPutsBackTheSheetInUse) {
    for (bool byCloseBox : {false, true}) {
        SCOPED_TRACE(byCloseBox ? "close box" : "Button3");
        TestApp t;
        t->start();
        TMainWindow& main = *t->MainWindow;
        EditorState& s = t.state();
        const files::MapFixture f = files::writeMapFixture(t, QStringLiteral("a.map"), 30, 12);
        files::loadThroughMenu(t, f.map);
        t->chooseChip(11);
        const std::string foundAt = t.state().SheetFoundAt;
        s.MapModified = 1;

        t.dialogs.answer(Answer::No);
        main.NewButtonClick();
        TStartUpWindow& d = *t->StartUpWindow;
        chooseSheet(t, 640, 640, QStringLiteral("other.bmp"));
        ASSERT_TRUE(t->MapChipWindow->ScrollBar1->isVisible());
        t->chooseChip(399);
        EXPECT_EQ(s.SheetFileName, f.contents.sheetPath); // only tried so far

        if (byCloseBox)
            d.close();
        else
            d.Button3->click();

        EXPECT_FALSE(d.isVisible() || t->MapChipWindow->isVisible() || t->MapWindow->isVisible());
        EXPECT_FALSE(main.MapChipWindow1->isChecked() || main.MapChipWindow1->isEnabled());
        EXPECT_FALSE(main.ChipShowButton->isEnabled());
        EXPECT_EQ(s.SheetFileName, f.contents.sheetPath);
        EXPECT_EQ(t.state().SheetFoundAt, foundAt);
        EXPECT_EQ(t->sheet().width(), 128);
        EXPECT_EQ(t->MapChipWindow->Image1->bitmap().width(), 128);
        EXPECT_TRUE(t->MapChipWindow->ScrollBar1->isHidden());
        EXPECT_EQ(s.CurrentChip, 11);
        EXPECT_EQ(s.MapModified, 1);
        EXPECT_EQ(files::heldMap(t), f.contents);
        ASSERT_TRUE(main.SaveMap()); // "はい" at the exit question
        EXPECT_EQ(files::readBytes(f.map), formatMapFile(f.contents));
    }
}

TEST(NewMapFlow, ClosingTheHiddenDialogAbandonsNothing) {
    TestApp t;
    openDialog(t);
    chooseSheet(t, 64, 64);
    t->StartUpWindow->hide();
    t->StartUpWindow->close();
    EXPECT_TRUE(t->MapChipWindow->isVisible());
    EXPECT_TRUE(t->MainWindow->ChipShowButton->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// The sheet chooser's refusals

TEST(NewMapSheetName, BitmapOrPngMarkAnywhereInAnyAsciiCase) {
    const std::pair<const char*, bool> cases[] = {
        {"/maps/tiles.bmp", true},  {"/maps/TILES.BmP", true},
        {"/maps/a.bmp.txt", true},  {"/set.BMP/chips.gif", true},
        {"/maps/tiles.Png", true},  {"/maps/bmp", false},
        {"/maps/tiles_bmp", false}, {"/maps/tiles．ＢＭＰ", false},
        {"/maps/tiles.gif", false}, {"", false},
    };
    for (const auto& [name, passes] : cases)
        EXPECT_EQ(hasBitmapMark(QString::fromUtf8(name)), passes) << name;
}

// What a refused choice must leave exactly as it was.
auto snapshot(TestApp& t) {
    const EditorState& s = t.state();
    TStartUpWindow& d = *t->StartUpWindow;
    TMapChipWindow& p = *t->MapChipWindow;
    TMainWindow& m = *t->MainWindow;
    return std::tuple(s.SheetFileName, s.SheetScrollX, s.SheetScrollY, s.CurrentChip,
                      QSize(p.sheet().width(), p.sheet().height()), p.Shape1->pos(), p.isVisible(),
                      d.Image1->isVisible(), d.Button1->isEnabled(), m.MapChipWindow1->isChecked(),
                      m.MapChipWindow1->isEnabled(), m.ChipShowButton->isEnabled(),
                      d.Image1->bitmap().pixel(3, 3));
}

enum class Content { Sheet, Truncated, Text };

void writeContent(const QString& path, Content content, int width, int height) {
    if (content == Content::Sheet) {
        writeSheetBmp(path, width, height);
        return;
    }
    QByteArray bytes = "this is not a bitmap\r\n";
    if (content == Content::Truncated) {
        QFile in(writeSheetBmp(path, width, height));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        bytes = in.read(200); // header intact, pixel data cut short
    }
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes);
}

TEST(NewMapSheetRefused, NothingChangesAndTheUserIsTold) {
    const struct {
        const char* label;
        QString fileName;
        Content content;
        int width, height;
        QString caption; // empty: the application title (a load error)
        QString textContains;
        bool nameEmptied; // the dialog's file name afterwards: "" or the refused name
    } cases[] = {
        {"not a bitmap name", QStringLiteral("chips.txt"), Content::Sheet, 64, 64, kCaution,
         QStringLiteral("読み込めません"), true},
        {"truncated bitmap", QStringLiteral("cut.bmp"), Content::Truncated, 64, 64, {}, {}, false},
        {"text named .bmp", QStringLiteral("text.bmp"), Content::Text, 0, 0, {}, {}, false},
        {"narrower than a chip",
         QStringLiteral("narrow.bmp"),
         Content::Sheet,
         16,
         64,
         {},
         QStringLiteral("小さすぎます（16×64ドット"),
         false},
        {"lower than a chip",
         QStringLiteral("strip.bmp"),
         Content::Sheet,
         64,
         16,
         {},
         QStringLiteral("小さすぎます（64×16ドット"),
         false},
        {"comma in the path", QStringLiteral("a,b.bmp"), Content::Sheet, 64, 64, kCaution,
         QStringLiteral("カンマ"), false},
        {"line break in the path", QStringLiteral("a\nb.bmp"), Content::Sheet, 64, 64, kCaution,
         QStringLiteral("改行"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TestApp t;
        EditorState& s = t.state();
        // A sheet was accepted, then the dialog abandoned and reopened (preview hidden, confirm
        // disabled), and the palette had been scrolled and a chip chosen.
        TStartUpWindow& d = openDialog(t);
        chooseSheet(t, 96, 64, QStringLiteral("first.bmp"));
        d.Button3Click();
        d.showDialog();
        d.Image1->hide();
        d.Button1->setEnabled(false);
        s.SheetScrollX = 32;
        s.SheetScrollY = 64;
        s.CurrentChip = 3;
        t->MapChipWindow->Shape1->move(32, 32);
        d.Image1->bitmap().setPixel(3, 3, 0xFF123456u);
        const auto before = snapshot(t);

        const QString path = t.path(c.fileName);
        writeContent(path, c.content, c.width, c.height);
        t.dialogs.chooseFile(path);
        d.Button2Click();

        EXPECT_TRUE(snapshot(t) == before);
        ASSERT_EQ(t.dialogs.messages.size(), 1u);
        const MessageCall& m = t.dialogs.messages[0];
        EXPECT_EQ(m.caption, c.caption.isEmpty() ? ApplicationTitle : c.caption);
        EXPECT_FALSE(m.text.isEmpty());
        EXPECT_TRUE(m.text.contains(c.textContains)) << m.text.toStdString();
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
        EXPECT_EQ(m.owner, &d);
        EXPECT_EQ(t->MainWindow->OpenDialog1.FileName, c.nameEmptied ? QString() : path);
    }
}

TEST(NewMapSheetRefused, CancelOrTheSameNameLeftInTheDialogIsIgnored) {
    TestApp t;
    TStartUpWindow& d = openDialog(t);
    FileDialog& dialog = t->MainWindow->OpenDialog1;
    const QString leftOver = t.path(QStringLiteral("broken.map"));
    dialog.FileName = leftOver;

    // Cancelled, then the name from an earlier use confirmed again unchanged: nothing happens.
    t.dialogs.cancelFile();
    d.Button2Click();
    EXPECT_EQ(dialog.FileName, leftOver);
    t.dialogs.chooseFile(leftOver);
    d.Button2Click();
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(dialog.FileName, leftOver);
    EXPECT_EQ(t.dialogs.fileCalls.back().request.fileName, leftOver);
    EXPECT_FALSE(d.Button1->isEnabled() || t->MapChipWindow->isVisible());

    // A refused pick empties the name, so picking it again is a new name and is told again.
    const QString other = t.path(QStringLiteral("notes.txt"));
    for (int i = 0; i < 2; ++i) {
        t.dialogs.chooseFile(other);
        d.Button2Click();
    }
    EXPECT_EQ(t.dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialog.FileName.isEmpty());
    EXPECT_TRUE(t.state().SheetFileName.empty());
}

} // namespace
} // namespace tilora::test
