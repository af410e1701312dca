// The main window's file commands through the real windows: the unsaved-changes prompt in its
// three modes, save as, save, load, open, close and exit, with every prompt and every byte
// written checked.

#include "FileCommandsSupport.h"

#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QFileInfo>
#include <QPushButton>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace tilora::test {
namespace {

using namespace files;

const QString kModified = QStringLiteral("マップデータは変更されています保存しますか？");
const QString kModifiedCaption = QStringLiteral("ちょっと待った！！");

// A loaded 30 x 30 map, the state every command below starts from unless it says otherwise.
MapFixture loadFixture(TestApp& t, const QString& name = QStringLiteral("start.map"), int w = 30,
                       int h = 30, int seed = 0) {
    MapFixture f = writeMapFixture(t, name, w, h, seed);
    loadThroughMenu(t, f.map);
    EXPECT_EQ(t.state().MapModified, 0);
    EXPECT_EQ(t->MainWindow->CurrentFileName(), f.map);
    return f;
}

// An edit as painting makes it.
void edit(TestApp& t, int chip = 11) {
    t.state().cell(0, 0) = chip;
    t.state().MapModified = 1;
}

void expectModifiedPrompt(const TestApp& t, std::size_t index, MessageButtons buttons) {
    ASSERT_GT(t.dialogs.messages.size(), index);
    const MessageCall& m = t.dialogs.messages[index];
    EXPECT_EQ(m.text, kModified);
    EXPECT_EQ(m.caption, kModifiedCaption);
    EXPECT_EQ(m.buttons, buttons);
    EXPECT_EQ(m.owner, t.app->MainWindow.get());
}

std::vector<QWidget*> editingControls(TMainWindow& m) {
    return {m.NameSaveButton, m.OverWriteSaveButton, m.MapShowButton, m.ChipShowButton,
            m.ZoomInButton,   m.ZoomOutButton,       m.PenButton1,    m.PenButton2,
            m.PenButton3,     m.PenButton4,          m.StampButton,   m.SEButton};
}

// ---------------------------------------------------------------------------------------------
// The unsaved-changes prompt before a new map

TEST(FileCommands, NewMapWithoutChangesResetsTheWindowsWithoutAsking) {
    TestApp t;
    loadFixture(t);
    TMainWindow& m = *t->MainWindow;
    m.PenButtonClick(3);  // PenButton1 enabled now, so the reset has something to disable
    t->StampWindow->show();
    t->StartUpWindow->Image1->show();
    t->StartUpWindow->Button1->setEnabled(true);

    m.NewButtonClick();

    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_FALSE(t->MapWindow->isVisible());
    EXPECT_FALSE(t->MapChipWindow->isVisible());
    EXPECT_FALSE(t->StampWindow->isVisible());
    EXPECT_TRUE(t->StartUpWindow->isVisible());
    EXPECT_FALSE(t->StartUpWindow->Image1->isVisibleTo(t->StartUpWindow.get()));
    EXPECT_FALSE(t->StartUpWindow->Button1->isEnabled());
    for (QWidget* w : editingControls(m)) EXPECT_FALSE(w->isEnabled()) << w->toolTip().toStdString();
    for (QAction* a : {m.NameSave, m.Save, m.CloseFile, m.MapChipWindow1, m.MapWindow1})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    // Check marks are left as they were; the tools and the map stay in memory.
    EXPECT_TRUE(m.MapWindow1->isChecked());
    EXPECT_TRUE(m.MapChipWindow1->isChecked());
    EXPECT_EQ(t.state().PenSize, 4);
    EXPECT_EQ(t.state().MapWidth, 30);
    EXPECT_TRUE(m.NewButton->isEnabled());
    EXPECT_TRUE(m.OpenButton->isEnabled());
}

TEST(FileCommands, NewMapAnswersCancelNoYes) {
    {  // Cancel: nothing changes, the dialog does not appear.
        TestApp t;
        loadFixture(t);
        edit(t);
        t.dialogs.answer(Answer::Cancel);
        t->MainWindow->NewButtonClick();
        expectModifiedPrompt(t, 0, MessageButtons::YesNoCancel);
        EXPECT_FALSE(t->StartUpWindow->isVisible());
        EXPECT_TRUE(t->MapWindow->isVisible());
        EXPECT_TRUE(t->MainWindow->NameSaveButton->isEnabled());
        EXPECT_EQ(t.state().MapModified, 1);
    }
    {  // No: the dialog opens, the changes stay unsaved in memory.
        TestApp t;
        const MapFixture f = loadFixture(t);
        edit(t);
        t.dialogs.answer(Answer::No);
        t->MainWindow->NewButtonClick();
        EXPECT_TRUE(t->StartUpWindow->isVisible());
        EXPECT_EQ(t.state().MapModified, 1);
        EXPECT_EQ(readBytes(f.map), formatMapFile(f.contents));
    }
    {  // Yes: saved to the current file, then the dialog opens.
        TestApp t;
        const MapFixture f = loadFixture(t);
        edit(t);
        const MapContents edited = heldMap(t);
        t.dialogs.answer(Answer::Yes);
        t->MainWindow->NewButtonClick();
        EXPECT_EQ(readBytes(f.map), formatMapFile(edited));
        EXPECT_EQ(t.state().MapModified, 0);
        EXPECT_TRUE(t->StartUpWindow->isVisible());
    }
}

TEST(FileCommands, YesWhoseSaveDidNotHappenStopsTheCommand) {
    TestApp t;
    loadFixture(t);
    edit(t);
    TMainWindow& m = *t->MainWindow;
    m.SaveDialog1.FileName.clear();  // an unnamed map: Yes goes through the save dialog
    t.dialogs.answer(Answer::Yes);
    t.dialogs.cancelFile();
    m.NewButtonClick();
    EXPECT_FALSE(t->StartUpWindow->isVisible());
    EXPECT_TRUE(t->MapWindow->isVisible());
    EXPECT_EQ(t.state().MapModified, 1);

    t.dialogs.answer(Answer::Yes);
    t.dialogs.cancelFile();
    m.CloseFileClick();
    EXPECT_TRUE(m.CloseFile->isEnabled());
    EXPECT_TRUE(m.MapWindow1->isChecked());
}

// ---------------------------------------------------------------------------------------------
// Close

TEST(FileCommands, CloseWithChangesAnsweredNoTakesAwayTheCommandsOnly) {
    TestApp t;
    loadFixture(t);
    TMainWindow& m = *t->MainWindow;
    m.OverWriteSaveButton->setEnabled(true);
    m.Save->setEnabled(true);
    edit(t);
    t.dialogs.answer(Answer::No);
    m.CloseFileClick();

    expectModifiedPrompt(t, 0, MessageButtons::YesNoCancel);
    EXPECT_FALSE(m.MapChipWindow1->isChecked());
    EXPECT_FALSE(m.MapWindow1->isChecked());
    for (QAction* a : {m.MapChipWindow1, m.MapWindow1, m.NameSave, m.Save, m.CloseFile})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(m.NameSaveButton->isEnabled());
    EXPECT_FALSE(m.OverWriteSaveButton->isEnabled());
    // The map stays on screen and unsaved; the tool buttons keep their states.
    EXPECT_TRUE(t->MapWindow->isVisible());
    EXPECT_TRUE(t->MapChipWindow->isVisible());
    EXPECT_TRUE(m.ZoomInButton->isEnabled());
    EXPECT_TRUE(m.MapShowButton->isEnabled());
    EXPECT_EQ(t.state().MapModified, 1);

    // The next new-map command asks again.
    t.dialogs.answer(Answer::Cancel);
    m.NewButtonClick();
    EXPECT_EQ(t.dialogs.messages.size(), 2u);
}

TEST(FileCommands, CloseCancelledChangesNothingAndYesSavesFirst) {
    TestApp t;
    const MapFixture f = loadFixture(t);
    TMainWindow& m = *t->MainWindow;
    edit(t);
    t.dialogs.answer(Answer::Cancel);
    m.CloseFileClick();
    EXPECT_TRUE(m.CloseFile->isEnabled());
    EXPECT_TRUE(m.MapWindow1->isChecked());

    const MapContents edited = heldMap(t);
    t.dialogs.answer(Answer::Yes);
    m.CloseFileClick();
    EXPECT_EQ(readBytes(f.map), formatMapFile(edited));
    EXPECT_EQ(t.state().MapModified, 0);
    EXPECT_FALSE(m.CloseFile->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// Save as and save

TEST(FileCommands, SaveAsWritesTheMapAndNamesIt) {
    TestApp t;
    loadFixture(t);
    edit(t, 7);
    TMainWindow& m = *t->MainWindow;
    const QString previous = m.CurrentFileName();
    const QString target = t.path(QStringLiteral("new.map"));
    t.dialogs.chooseFile(target);
    m.NameSaveButtonClick();

    ASSERT_EQ(t.dialogs.fileCalls.size(), 2u);  // the load, then the save
    const FileCall& call = t.dialogs.fileCalls.back();
    EXPECT_TRUE(call.save);
    EXPECT_EQ(call.request.defaultExt, QStringLiteral("MAP"));
    EXPECT_EQ(call.request.filter, QStringLiteral("マップデータ(*.map)|*.map"));
    EXPECT_EQ(call.request.title, QStringLiteral("マップデータの保存"));
    EXPECT_EQ(call.request.fileName, previous);

    EXPECT_EQ(readBytes(target), formatMapFile(heldMap(t)));
    EXPECT_EQ(heldMap(t).at(0, 0), 7);
    EXPECT_EQ(m.CurrentFileName(), target);
    EXPECT_EQ(t.state().MapModified, 0);
    EXPECT_TRUE(m.OverWriteSaveButton->isEnabled());
    EXPECT_TRUE(m.Save->isEnabled());
    EXPECT_TRUE(t.dialogs.messages.empty());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(t.dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files).size(), 0);
}

TEST(FileCommands, SaveAsTestIgnoresLetterCase) {
    // The dialog appends "MAP" to a name typed without an extension; ".map" may stand anywhere.
    for (const char* name : {"typed.MAP", "Upper.Map", "a.map.txt"}) {
        TestApp t;
        loadFixture(t);
        edit(t);
        const QString target = t.path(QString::fromUtf8(name));
        t.dialogs.chooseFile(target);
        t->MainWindow->NameSaveButtonClick();
        EXPECT_TRUE(t.dialogs.messages.empty()) << name;
        EXPECT_EQ(readBytes(target), formatMapFile(heldMap(t))) << name;
        EXPECT_EQ(t->MainWindow->CurrentFileName(), target) << name;
        EXPECT_EQ(t.state().MapModified, 0) << name;
    }
}

TEST(FileCommands, SaveAsRefusesANameWithoutMap) {
    TestApp t;
    loadFixture(t);
    edit(t);
    TMainWindow& m = *t->MainWindow;
    const QString previous = m.CurrentFileName();
    const QString target = t.path(QStringLiteral("plain.txt"));
    t.dialogs.chooseFile(target);
    m.NameSaveButtonClick();

    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text, QStringLiteral("保存できません"));
    EXPECT_EQ(t.dialogs.messages[0].caption, QStringLiteral("注意"));
    EXPECT_EQ(t.dialogs.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(t.dialogs.messages[0].owner, &m);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(m.CurrentFileName(), previous);
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_FALSE(m.OverWriteSaveButton->isEnabled());
}

TEST(FileCommands, SaveAsCancelledKeepsTheMapUnsaved) {
    TestApp t;
    const MapFixture f = loadFixture(t);
    edit(t);
    TMainWindow& m = *t->MainWindow;
    t.dialogs.cancelFile();
    m.NameSaveButtonClick();
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_EQ(m.CurrentFileName(), f.map);
    EXPECT_EQ(readBytes(f.map), formatMapFile(f.contents));
    EXPECT_FALSE(m.OverWriteSaveButton->isEnabled());
}

TEST(FileCommands, SaveWritesToTheCurrentFileOrAsksForAName) {
    TestApp t;
    loadFixture(t);
    TMainWindow& m = *t->MainWindow;
    const QString target = t.path(QStringLiteral("named.map"));
    t.dialogs.chooseFile(target);
    m.NameSaveButtonClick();
    const std::size_t dialogs = t.dialogs.fileCalls.size();

    edit(t, 3);
    m.SaveClick();
    EXPECT_EQ(t.dialogs.fileCalls.size(), dialogs);  // no dialog
    EXPECT_EQ(readBytes(target), formatMapFile(heldMap(t)));
    EXPECT_EQ(heldMap(t).at(0, 0), 3);
    EXPECT_EQ(t.state().MapModified, 0);

    // An unnamed map (as after the new-map dialog) goes through the save dialog.
    m.SaveDialog1.FileName.clear();
    edit(t, 4);
    t.dialogs.cancelFile();
    m.SaveClick();
    EXPECT_EQ(t.dialogs.fileCalls.size(), dialogs + 1);
    EXPECT_TRUE(t.dialogs.fileCalls.back().save);
    EXPECT_EQ(t.state().MapModified, 1);
}

TEST(FileCommands, SaveIntoAMissingFolderReportsTheReasonAndChangesNothing) {
    TestApp t;
    loadFixture(t);
    edit(t);
    TMainWindow& m = *t->MainWindow;
    const QString previous = m.CurrentFileName();
    const QString target = t.path(QStringLiteral("no-such-folder/x.map"));
    t.dialogs.chooseFile(target);
    m.NameSaveButtonClick();

    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    const MessageCall& msg = t.dialogs.messages[0];
    EXPECT_EQ(msg.caption, QStringLiteral("注意"));
    EXPECT_TRUE(msg.text.startsWith(QStringLiteral("保存できません"))) << msg.text.toStdString();
    EXPECT_TRUE(msg.text.contains(QString::fromLocal8Bit(std::strerror(ENOENT))))
        << msg.text.toStdString();
    EXPECT_TRUE(msg.text.contains(target));
    EXPECT_EQ(m.CurrentFileName(), previous);
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_FALSE(m.OverWriteSaveButton->isEnabled());
    EXPECT_FALSE(m.Save->isEnabled());

    // Overwrite-save to a file whose folder has gone: the same report, the buttons stay enabled.
    m.OverWriteSaveButton->setEnabled(true);
    m.Save->setEnabled(true);
    m.SaveDialog1.FileName = target;
    m.SaveClick();
    EXPECT_EQ(t.dialogs.messages.size(), 2u);
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_TRUE(m.OverWriteSaveButton->isEnabled());
    EXPECT_EQ(m.CurrentFileName(), target);
}

// Lowers this process's file-size limit for the guard's lifetime: a write beyond it fails with
// EFBIG, as a full disk fails, instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(FileCommands, SaveThatRunsOutOfSpaceKeepsTheOldFile) {
    TestApp t;
    const MapFixture f = loadFixture(t);
    edit(t);
    const std::string before = readBytes(f.map);
    ASSERT_GT(before.size(), 600u);
    TMainWindow& m = *t->MainWindow;
    {
        FileSizeLimit limit(512);
        m.SaveClick();
    }
    EXPECT_EQ(readBytes(f.map), before);
    EXPECT_EQ(t.state().MapModified, 1);
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].caption, QStringLiteral("注意"));
    EXPECT_TRUE(t.dialogs.messages[0].text.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << t.dialogs.messages[0].text.toStdString();
    EXPECT_EQ(QDir(t.dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files).size(), 0);

    // With room again the same command writes the map.
    m.SaveClick();
    EXPECT_EQ(readBytes(f.map), formatMapFile(heldMap(t)));
    EXPECT_EQ(t.state().MapModified, 0);
}

// ---------------------------------------------------------------------------------------------
// Load

TEST(FileCommands, LoadReadsTheMapAndTheSheetAndRebuildsTheWindows) {
    TestApp t;
    const MapFixture f = writeMapFixture(t, QStringLiteral("Mixed.Map"), 30, 20, 5);
    t.state().SheetScrollX = 64;
    t.state().SheetScrollY = 32;
    t.state().CurrentChip = 9;
    loadThroughMenu(t, f.map);

    ASSERT_EQ(t.dialogs.fileCalls.size(), 1u);
    const FileCall& call = t.dialogs.fileCalls[0];
    EXPECT_FALSE(call.save);
    EXPECT_EQ(call.request.defaultExt, QStringLiteral("MAP"));
    EXPECT_EQ(call.request.filter, QStringLiteral("マップ(*.MAP)|*.MAP"));
    EXPECT_EQ(call.request.title, QStringLiteral("使用するＭＡＰファイルの読み込み"));
    EXPECT_TRUE(t.dialogs.messages.empty());

    EXPECT_EQ(heldMap(t), f.contents);
    EXPECT_EQ(t.state().SheetFileName, f.sheet.toStdString());
    EXPECT_EQ(t->MainWindow->CurrentFileName(), f.map);  // in its own letter case
    EXPECT_EQ(t.state().SheetScrollX, 0);
    EXPECT_EQ(t.state().SheetScrollY, 0);
    EXPECT_EQ(t.state().CurrentChip, 9);
    EXPECT_EQ(t.state().MapModified, 0);
    EXPECT_EQ(t->MapChipWindow->sheet().width(), 128);
    EXPECT_EQ(t->MapChipWindow->sheet().height(), 96);
    EXPECT_TRUE(t->MapWindow->isVisible());
    EXPECT_TRUE(t->MapChipWindow->isVisible());
    EXPECT_TRUE(t->MainWindow->NameSaveButton->isEnabled());
    // No save-as since start: overwrite-save stays disabled.
    EXPECT_FALSE(t->MainWindow->OverWriteSaveButton->isEnabled());
    EXPECT_FALSE(t->MainWindow->Save->isEnabled());
}

TEST(FileCommands, LoadAfterSaveAsKeepsOverwriteSaveEnabled) {
    TestApp t;
    loadFixture(t);
    t.dialogs.chooseFile(t.path(QStringLiteral("saved.map")));
    t->MainWindow->NameSaveButtonClick();
    const MapFixture other = writeMapFixture(t, QStringLiteral("other.map"), 12, 12, 2);
    loadThroughMenu(t, other.map);
    EXPECT_EQ(heldMap(t), other.contents);
    EXPECT_TRUE(t->MainWindow->OverWriteSaveButton->isEnabled());
    EXPECT_TRUE(t->MainWindow->Save->isEnabled());
}

TEST(FileCommands, LoadOfANameWithoutMapOrACancelledDialogDoesNothing) {
    TestApp t;
    const MapFixture f = loadFixture(t);
    edit(t);
    const MapContents before = heldMap(t);
    const QString other = t.path(QStringLiteral("other.txt"));
    writeBytes(other, formatMapFile(patternMap(f.sheet.toStdString(), 10, 10, 12, 3)));

    loadThroughMenu(t, other);  // no message, not even the unsaved-changes question
    t.dialogs.cancelFile();
    t->MainWindow->LoadFileClick();

    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(heldMap(t), before);
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_EQ(t->MainWindow->CurrentFileName(), f.map);
}

// Everything a failed load must leave alone.
struct Snapshot {
    MapContents map;
    std::vector<std::int32_t> grid;
    QString fileName;
    int sheetWidth;
    int modified;
    bool mapVisible, chipVisible;

    explicit Snapshot(TestApp& t)
        : map(heldMap(t)),
          grid(t.state().MapCells),
          fileName(t->MainWindow->CurrentFileName()),
          sheetWidth(t->MapChipWindow->sheet().width()),
          modified(t.state().MapModified),
          mapVisible(t->MapWindow->isVisible()),
          chipVisible(t->MapChipWindow->isVisible()) {}

    void expectUnchanged(TestApp& t, const std::string& what) const {
        EXPECT_EQ(heldMap(t), map) << what;
        EXPECT_TRUE(t.state().MapCells == grid) << what;
        EXPECT_EQ(t->MainWindow->CurrentFileName(), fileName) << what;
        EXPECT_EQ(t->MapChipWindow->sheet().width(), sheetWidth) << what;
        EXPECT_EQ(t.state().MapModified, modified) << what;
        EXPECT_EQ(t->MapWindow->isVisible(), mapVisible) << what;
        EXPECT_EQ(t->MapChipWindow->isVisible(), chipVisible) << what;
    }
};

TEST(FileCommands, FailedLoadsReportAndLeaveEverythingAsItWas) {
    struct Case {
        const char* name;
        std::string bytes;           // the map file's contents
        QString sheetName;           // a sheet file to create beside the map ("" = none)
        std::string sheetBytes;      // its contents ("" = a valid 64 x 64 sheet)
        QString expectCaption;       // the message box's caption
        QString expectInText;        // a part of its text
    };
    const QString title = ApplicationTitle;
    const QString caution = QStringLiteral("注意");
    const std::vector<Case> cases = {
        {"short file", "x.bmp,\r\n10,\r\n10,\r\n0,0,\r\n", "", "", title,
         QStringLiteral("マップデータを読み込めません")},
        {"bad width", "x.bmp,\r\nabc,\r\n10,\r\n", "", "", title, QStringLiteral("2行目")},
        {"empty", "", "", "", title, QStringLiteral("マップデータを読み込めません")},
        {"sheet missing", formatMapFile(patternMap("/nowhere/gone.bmp", 10, 10, 4)), "", "",
         title, QStringLiteral("/nowhere/gone.bmp")},
        {"sheet not a bitmap", formatMapFile(patternMap("junk.bmp", 10, 10, 4)),
         QStringLiteral("junk.bmp"), "not a bitmap at all", title,
         QStringLiteral("ビットマップを読み込めません")},
        {"sheet too narrow", formatMapFile(patternMap("thin.bmp", 10, 10, 4)),
         QStringLiteral("thin.bmp"), "narrow", caution, QStringLiteral("３２ドット")},
    };
    for (const Case& c : cases) {
        TestApp t;
        loadFixture(t);
        edit(t);
        const QString path = t.path(QStringLiteral("bad.map"));
        writeBytes(path, c.bytes);
        if (!c.sheetName.isEmpty()) {
            if (c.sheetBytes == "narrow")
                writeSheetBmp(t.path(c.sheetName), 20, 64);
            else
                writeBytes(t.path(c.sheetName), c.sheetBytes);
        }
        const Snapshot before(t);
        t.dialogs.answer(Answer::No);
        loadThroughMenu(t, path);

        ASSERT_EQ(t.dialogs.messages.size(), 2u) << c.name;
        const MessageCall& msg = t.dialogs.messages[1];
        EXPECT_EQ(msg.caption, c.expectCaption) << c.name;
        EXPECT_TRUE(msg.text.contains(c.expectInText)) << c.name << ": " << msg.text.toStdString();
        before.expectUnchanged(t, c.name);
    }
}

TEST(FileCommands, SheetFoundInAFolderWithACommaIsRefused) {
    TestApp t;
    loadFixture(t);
    QDir(t.dir.path()).mkdir(QStringLiteral("old,maps"));
    const QString folder = t.path(QStringLiteral("old,maps"));
    writeSheetBmp(folder + QStringLiteral("/sea.bmp"), 64, 64);
    const QString path = folder + QStringLiteral("/a.map");
    writeBytes(path, formatMapFile(patternMap("C:\\tiles\\sea.bmp", 10, 10, 4)));
    const Snapshot before(t);
    loadThroughMenu(t, path);
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].caption, QStringLiteral("注意"));
    EXPECT_TRUE(t.dialogs.messages[0].text.contains(QStringLiteral("カンマ")));
    before.expectUnchanged(t, "comma");
}

TEST(FileCommands, MapFromAWindowsMachineFindsItsSheetBesideIt) {
    TestApp t;
    // "C:\タイル\表示\Sea.BMP" in code page 932: 表 is 0x95 0x5C, whose second byte is a
    // backslash; it must not split the name.
    const std::string written =
        "C:\\\x83\x5E\x83\x43\x83\x8B\\\x95\x5C\x8E\xA6\\Sea.BMP";
    const QString sheet = writeSheetBmp(t.path(QStringLiteral("sea.bmp")), 96, 64);
    const QString path = t.path(QStringLiteral("win.map"));
    const MapContents contents = patternMap(written, 12, 10, 6);
    writeBytes(path, formatMapFile(contents));

    loadThroughMenu(t, path);
    EXPECT_TRUE(t.dialogs.messages.empty());
    MapContents expected = contents;
    expected.sheetPath = sheet.toStdString();
    EXPECT_EQ(heldMap(t), expected);
    EXPECT_EQ(t->MapChipWindow->sheet().width(), 96);

    // The next save records the path that works here.
    t.state().MapModified = 1;
    t.dialogs.chooseFile(t.path(QStringLiteral("moved.map")));
    t->MainWindow->NameSaveButtonClick();
    EXPECT_EQ(readBytes(t.path(QStringLiteral("moved.map"))), formatMapFile(expected));
}

TEST(FileCommands, ExampleMapOpensWhereverTheFolderLies) {
    const QString examples = QStringLiteral(TILORA_SOURCE_DIR "/examples");
    const QStringList maps = QDir(examples).entryList({QStringLiteral("*.map")}, QDir::Files);
    ASSERT_FALSE(maps.isEmpty());
    for (const QString& name : maps) {
        // In place, and copied to a folder of its own as a checkout elsewhere would be.
        TestApp t;
        QDir(t.dir.path()).mkdir(QStringLiteral("copy"));
        for (const QString& file : QDir(examples).entryList(QDir::Files))
            QFile::copy(examples + QLatin1Char('/') + file, t.path(QStringLiteral("copy/") + file));
        for (const QString& folder : {examples, t.path(QStringLiteral("copy"))}) {
            loadThroughMenu(t, folder + QLatin1Char('/') + name);
            EXPECT_TRUE(t.dialogs.messages.empty()) << name.toStdString();
            EXPECT_EQ(t.state().MapModified, 0);
            EXPECT_TRUE(t->MapWindow->isVisible());
            const QString sheet = QString::fromStdString(t.state().SheetFileName);
            EXPECT_TRUE(sheet.startsWith(QDir(folder).absolutePath() + QLatin1Char('/')))
                << sheet.toStdString();
            EXPECT_TRUE(QFileInfo(sheet).isFile());
        }
    }
}

TEST(FileCommands, MissingSheetMessageNamesThePathAsWritten) {
    TestApp t;
    const std::string written = "D:\\\x95\x5C\x8E\xA6\\none.bmp";  // D:\表示\none.bmp
    const QString path = t.path(QStringLiteral("lost.map"));
    writeBytes(path, formatMapFile(patternMap(written, 10, 10, 4)));
    loadThroughMenu(t, path);
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_TRUE(t.dialogs.messages[0].text.contains(QStringLiteral("D:\\表示\\none.bmp")))
        << t.dialogs.messages[0].text.toStdString();
    EXPECT_EQ(t.state().MapHeight, 0);  // still no map
    EXPECT_FALSE(t->MapWindow->isVisible());
}

TEST(FileCommands, LoadAsksFirstAndReadsWhatTheSaveWrote) {
    TestApp t;
    const MapFixture f = loadFixture(t);
    edit(t, 9);
    const MapContents edited = heldMap(t);
    t.dialogs.answer(Answer::Yes);
    loadThroughMenu(t, f.map);  // the very file the Yes rewrites
    expectModifiedPrompt(t, 0, MessageButtons::YesNo);
    EXPECT_EQ(heldMap(t), edited);
    EXPECT_EQ(readBytes(f.map), formatMapFile(edited));
    EXPECT_EQ(t.state().MapModified, 0);
}

TEST(FileCommands, LoadAnsweredNoDropsTheChangesAndYesWithoutSaveKeepsThem) {
    TestApp t;
    loadFixture(t);
    const MapFixture other = writeMapFixture(t, QStringLiteral("other.map"), 15, 12, 4);
    edit(t);
    t.dialogs.answer(Answer::No);
    loadThroughMenu(t, other.map);
    EXPECT_EQ(heldMap(t), other.contents);

    // An unnamed, changed map: Yes, then the save dialog cancelled — the load is abandoned.
    edit(t, 10);
    t->MainWindow->SaveDialog1.FileName.clear();
    const Snapshot before(t);
    const MapFixture third = writeMapFixture(t, QStringLiteral("third.map"), 11, 11, 1);
    t.dialogs.answer(Answer::Yes);
    t.dialogs.cancelFile();
    loadThroughMenu(t, third.map);
    before.expectUnchanged(t, "yes without save");
}

TEST(FileCommands, LoadWhileAZoomPickIsPendingKeepsOriginAndStep) {
    TestApp t;
    loadFixture(t);
    EditorState& s = t.state();
    s.ViewCol = 3;
    s.ViewRow = 2;
    t->MainWindow->ZoomOutButtonClick();
    ASSERT_EQ(s.ZoomPending, 1);
    const int step = s.ZoomStep;
    const MapFixture other = writeMapFixture(t, QStringLiteral("other.map"), 40, 40, 2);
    loadThroughMenu(t, other.map);
    EXPECT_EQ(heldMap(t), other.contents);
    EXPECT_EQ(s.ViewCol, 3);
    EXPECT_EQ(s.ViewRow, 2);
    EXPECT_EQ(s.ZoomStep, step);
    EXPECT_EQ(s.ZoomPending, 1);

    // Without a pending pick the view starts over.
    TestApp u;
    loadFixture(u);
    u.state().ViewCol = 3;
    u.state().ZoomStep = 2;
    loadThroughMenu(u, writeMapFixture(u, QStringLiteral("b.map"), 40, 40).map);
    EXPECT_EQ(u.state().ViewCol, 0);
    EXPECT_EQ(u.state().ZoomStep, 6);
}

TEST(FileCommands, SmallerMapLeavesTheOldCellsOutsideIt) {
    TestApp t;
    const MapFixture big = loadFixture(t, QStringLiteral("big.map"), 30, 30, 1);
    const MapFixture small = writeMapFixture(t, QStringLiteral("small.map"), 20, 15, 6);
    loadThroughMenu(t, small.map);
    EXPECT_EQ(t.state().MapWidth, 20);
    EXPECT_EQ(t.state().MapHeight, 15);
    for (int r = 0; r < 30; ++r) {
        for (int c = 0; c < 30; ++c) {
            const std::int32_t expected =
                r < 15 && c < 20 ? small.contents.at(r, c) : big.contents.at(r, c);
            ASSERT_EQ(t.state().cell(r, c), expected) << r << "," << c;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Open (toolbar)

TEST(FileCommands, OpenClearsTheStampBanksOnlyWhenAMapIsLoaded) {
    TestApp t;
    const MapFixture f = loadFixture(t);
    t.state().StampBanks[0] = 5;
    t.state().StampBanks[4999] = -1;
    t->StampWindow->show();

    t.dialogs.cancelFile();
    t->MainWindow->OpenButtonClick();
    EXPECT_EQ(t.state().StampBanks[0], 5);
    EXPECT_EQ(t.state().StampBanks[4999], -1);
    EXPECT_TRUE(t->StampWindow->isVisible());

    writeBytes(t.path(QStringLiteral("broken.map")), "x.bmp,\r\n");
    t.dialogs.chooseFile(t.path(QStringLiteral("broken.map")));
    t->MainWindow->OpenButtonClick();
    EXPECT_EQ(t.state().StampBanks[0], 5);
    EXPECT_TRUE(t->StampWindow->isVisible());

    t.dialogs.chooseFile(f.map);
    t->MainWindow->OpenButtonClick();
    EXPECT_TRUE(std::all_of(t.state().StampBanks.begin(), t.state().StampBanks.end(),
                            [](std::int32_t v) { return v == 0; }));
    EXPECT_FALSE(t->StampWindow->isVisible());
    EXPECT_EQ(t.state().MapModified, 0);
}

// ---------------------------------------------------------------------------------------------
// Exit and the close box

struct ExitRecorder {
    std::vector<int> codes;
    explicit ExitRecorder(TMainWindow& m) {
        m.exitProgram = [this](int code) { codes.push_back(code); };
    }
};

TEST(FileCommands, ExitAsksLikeTheCloseBox) {
    {  // No changes: leaves at once.
        TestApp t;
        loadFixture(t);
        ExitRecorder exits(*t->MainWindow);
        t->MainWindow->ExitAppClick();
        EXPECT_TRUE(t.dialogs.messages.empty());
        EXPECT_EQ(exits.codes, std::vector<int>{0});
    }
    {  // Changes, No: leaves without saving.
        TestApp t;
        const MapFixture f = loadFixture(t);
        edit(t);
        ExitRecorder exits(*t->MainWindow);
        t.dialogs.answer(Answer::No);
        t->MainWindow->ExitAppClick();
        expectModifiedPrompt(t, 0, MessageButtons::YesNo);
        EXPECT_EQ(exits.codes, std::vector<int>{0});
        EXPECT_EQ(readBytes(f.map), formatMapFile(f.contents));
    }
    {  // Changes, Yes, save dialog cancelled: stays.
        TestApp t;
        loadFixture(t);
        edit(t);
        t->MainWindow->SaveDialog1.FileName.clear();
        ExitRecorder exits(*t->MainWindow);
        t.dialogs.answer(Answer::Yes);
        t.dialogs.cancelFile();
        t->MainWindow->ExitAppClick();
        EXPECT_TRUE(exits.codes.empty());
        EXPECT_EQ(t.state().MapModified, 1);
    }
}

TEST(FileCommands, CloseBoxLeavesOnlyWhenTheMapIsSafe) {
    TestApp t;
    const MapFixture f = loadFixture(t);
    TMainWindow& m = *t->MainWindow;
    EXPECT_TRUE(m.FormCloseQuery());
    EXPECT_TRUE(t.dialogs.messages.empty());

    edit(t);
    t.dialogs.answer(Answer::Yes);
    EXPECT_TRUE(m.FormCloseQuery());
    EXPECT_EQ(readBytes(f.map), formatMapFile(heldMap(t)));

    // Yes, but the write fails: stays open.
    edit(t);
    m.SaveDialog1.FileName = t.path(QStringLiteral("gone/x.map"));
    t.dialogs.answer(Answer::Yes);
    EXPECT_FALSE(m.FormCloseQuery());
    EXPECT_EQ(t.state().MapModified, 1);

    // Through the real close box: Yes and a cancelled save dialog keep the window open.
    t->start();
    m.SaveDialog1.FileName.clear();
    t.dialogs.answer(Answer::Yes);
    t.dialogs.cancelFile();
    m.close();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(t.state().MapModified, 1);
}

}  // namespace
}  // namespace tilora::test
