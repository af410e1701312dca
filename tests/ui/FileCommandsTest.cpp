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
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tilora::test {
namespace {

using namespace files;

const QString kCaution = QStringLiteral("注意");

// A loaded 30 x 30 map.
MapFixture loadFixture(TestApp& t) {
    MapFixture f = writeMapFixture(t, QStringLiteral("start.map"), 30, 30);
    loadThroughMenu(t, f.map);
    EXPECT_EQ(t.state().MapModified, 0);
    EXPECT_EQ(t.fileName(), f.map);
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
    EXPECT_EQ(m.text, QStringLiteral("マップデータは変更されています保存しますか？"));
    EXPECT_EQ(m.caption, QStringLiteral("ちょっと待った！！"));
    EXPECT_EQ(m.buttons, buttons);
    EXPECT_EQ(m.owner, t.app->MainWindow.get());
}

// Message `index` has this caption and contains `part`.
void expectMessage(const TestApp& t, std::size_t index, const QString& caption,
                   const QString& part) {
    ASSERT_GT(t.dialogs.messages.size(), index);
    const MessageCall& m = t.dialogs.messages[index];
    EXPECT_EQ(m.caption, caption);
    EXPECT_TRUE(m.text.contains(part)) << m.text.toStdString();
}

void expectFileRequest(const FileCall& call, bool save, const char* filter, const char* title) {
    EXPECT_EQ(call.save, save);
    EXPECT_EQ(call.request.defaultExt, save ? QStringLiteral("map") : QStringLiteral("MAP"));
    EXPECT_EQ(call.request.filter, QString::fromUtf8(filter));
    EXPECT_EQ(call.request.title, QString::fromUtf8(title));
}

qsizetype tmpFiles(const TestApp& t) {
    return QDir(t.dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files).size();
}

// Every command below starts from a loaded map.
class FileCommands : public ::testing::Test {
  protected:
    TestApp t;
    MapFixture f = loadFixture(t);
    TMainWindow& m = *t->MainWindow;
};

// ---------------------------------------------------------------------------------------------
// The unsaved-changes prompt before a new map, and close

TEST_F(FileCommands, NewMapWithoutChangesResetsTheWindowsWithoutAsking) {
    m.PenButtonClick(3); // PenButton1 enabled now, so the reset has something to disable
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
    for (QWidget* w : std::initializer_list<QWidget*>{
             m.NameSaveButton, m.OverWriteSaveButton, m.MapShowButton, m.ChipShowButton,
             m.ZoomInButton, m.ZoomOutButton, m.PenButton1, m.PenButton2, m.PenButton3,
             m.PenButton4, m.StampButton, m.SEButton})
        EXPECT_FALSE(w->isEnabled()) << w->toolTip().toStdString();
    for (QAction* a : {m.NameSave, m.Save, m.CloseFile, m.MapChipWindow1, m.MapWindow1})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    // Check marks are left as they were; the tools and the map stay in memory.
    EXPECT_TRUE(m.MapWindow1->isChecked() && m.MapChipWindow1->isChecked());
    EXPECT_EQ(t.state().PenSize, 4);
    EXPECT_EQ(t.state().MapWidth, 30);
    EXPECT_TRUE(m.NewButton->isEnabled() && m.OpenButton->isEnabled());
}

TEST_F(FileCommands, NewMapAnswersCancelNoYes) {
    // Cancel: nothing changes. No: the dialog opens, the changes stay unsaved in memory.
    // Yes: saved to the current file, then the dialog opens.
    for (Answer a : {Answer::Cancel, Answer::No, Answer::Yes}) {
        SCOPED_TRACE(int(a));
        TestApp u;
        const MapFixture g = loadFixture(u);
        edit(u);
        const MapContents edited = heldMap(u);
        u.dialogs.answer(a);
        u->MainWindow->NewButtonClick();
        expectModifiedPrompt(u, 0, MessageButtons::YesNoCancel);
        EXPECT_EQ(u->StartUpWindow->isVisible(), a != Answer::Cancel);
        EXPECT_EQ(u.state().MapModified, a == Answer::Yes ? 0 : 1);
        EXPECT_EQ(readBytes(g.map), formatMapFile(a == Answer::Yes ? edited : g.contents));
        if (a == Answer::Cancel) {
            EXPECT_TRUE(u->MapWindow->isVisible() && u->MainWindow->NameSaveButton->isEnabled());
        }
    }
}

TEST_F(FileCommands, YesWhoseSaveDidNotHappenStopsTheCommand) {
    edit(t);
    t.setFileName({}); // an unnamed map: Yes goes through the save dialog
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

TEST_F(FileCommands, CloseWithChangesAnsweredNoTakesAwayTheCommandsOnly) {
    m.OverWriteSaveButton->setEnabled(true);
    m.Save->setEnabled(true);
    edit(t);
    t.dialogs.answer(Answer::No);
    m.CloseFileClick();

    expectModifiedPrompt(t, 0, MessageButtons::YesNoCancel);
    EXPECT_FALSE(m.MapChipWindow1->isChecked() || m.MapWindow1->isChecked());
    for (QAction* a : {m.MapChipWindow1, m.MapWindow1, m.NameSave, m.Save, m.CloseFile})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(m.NameSaveButton->isEnabled() || m.OverWriteSaveButton->isEnabled());
    // The map stays on screen and unsaved; the tool buttons keep their states.
    EXPECT_TRUE(t->MapWindow->isVisible() && t->MapChipWindow->isVisible());
    EXPECT_TRUE(m.ZoomInButton->isEnabled() && m.MapShowButton->isEnabled());
    EXPECT_EQ(t.state().MapModified, 1);

    // The next new-map command asks again.
    t.dialogs.answer(Answer::Cancel);
    m.NewButtonClick();
    EXPECT_EQ(t.dialogs.messages.size(), 2u);
}

TEST_F(FileCommands, CloseCancelledChangesNothingAndYesSavesFirst) {
    edit(t);
    t.dialogs.answer(Answer::Cancel);
    m.CloseFileClick();
    EXPECT_TRUE(m.CloseFile->isEnabled());
    EXPECT_TRUE(m.MapWindow1->isChecked());

    t.dialogs.answer(Answer::Yes);
    m.CloseFileClick();
    EXPECT_EQ(readBytes(f.map), formatMapFile(heldMap(t)));
    EXPECT_EQ(t.state().MapModified, 0);
    EXPECT_FALSE(m.CloseFile->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// Save as and save

TEST_F(FileCommands, SaveAsWritesTheMapAndNamesItInAnyLetterCase) {
    // A name typed without an extension gets ".map" in lower case; ".map" may stand anywhere.
    int chip = 1;
    const std::pair<const char*, const char*> names[] = {{"new.map", "new.map"},
                                                         {"typed.MAP", "typed.MAP"},
                                                         {"Upper.Map", "Upper.Map"},
                                                         {"a.map.txt", "a.map.txt"},
                                                         {"plain", "plain.map"}};
    for (const auto& [typed, name] : names) {
        SCOPED_TRACE(typed);
        edit(t, ++chip);
        const QString previous = t.fileName();
        const QString target = t.path(QString::fromUtf8(name));
        t.dialogs.chooseFile(t.path(QString::fromUtf8(typed)));
        m.NameSaveButtonClick();

        expectFileRequest(t.dialogs.fileCalls.back(), true, "マップデータ(*.map)|*.map",
                          "マップデータの保存");
        EXPECT_EQ(t.dialogs.fileCalls.back().request.fileName, previous);
        EXPECT_EQ(readBytes(target), formatMapFile(heldMap(t)));
        EXPECT_EQ(heldMap(t).at(0, 0), chip);
        EXPECT_EQ(t.fileName(), target);
        EXPECT_EQ(t.state().MapModified, 0);
        EXPECT_TRUE(m.OverWriteSaveButton->isEnabled() && m.Save->isEnabled());
    }
    EXPECT_EQ(t.dialogs.fileCalls.size(), 6u); // the load, then one per save
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(tmpFiles(t), 0); // no temporary file is left beside them
}

TEST_F(FileCommands, SaveAsCancelledOrRefusedForANameWithoutMapChangesNothing) {
    edit(t);
    t.dialogs.cancelFile();
    m.NameSaveButtonClick();
    EXPECT_TRUE(t.dialogs.messages.empty());

    const QString target = t.path(QStringLiteral("plain.txt"));
    t.dialogs.chooseFile(target);
    m.NameSaveButtonClick();
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text, QStringLiteral("保存できません"));
    EXPECT_EQ(t.dialogs.messages[0].caption, kCaution);
    EXPECT_EQ(t.dialogs.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(t.dialogs.messages[0].owner, &m);
    EXPECT_FALSE(QFile::exists(target));

    EXPECT_EQ(t.fileName(), f.map);
    EXPECT_EQ(readBytes(f.map), formatMapFile(f.contents));
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_FALSE(m.OverWriteSaveButton->isEnabled());
}

TEST_F(FileCommands, SaveWritesToTheCurrentFileOrAsksForAName) {
    const QString target = t.path(QStringLiteral("named.map"));
    t.dialogs.chooseFile(target);
    m.NameSaveButtonClick();
    const std::size_t dialogs = t.dialogs.fileCalls.size();

    edit(t, 3);
    m.SaveClick();
    EXPECT_EQ(t.dialogs.fileCalls.size(), dialogs); // no dialog
    EXPECT_EQ(readBytes(target), formatMapFile(heldMap(t)));
    EXPECT_EQ(heldMap(t).at(0, 0), 3);
    EXPECT_EQ(t.state().MapModified, 0);

    // A load after a save-as keeps overwrite-save enabled.
    const MapFixture other = writeMapFixture(t, QStringLiteral("other.map"), 12, 12, 2);
    loadThroughMenu(t, other.map);
    EXPECT_EQ(heldMap(t), other.contents);
    EXPECT_TRUE(m.OverWriteSaveButton->isEnabled() && m.Save->isEnabled());

    // An unnamed map (as after the new-map dialog) goes through the save dialog.
    t.setFileName({});
    edit(t, 4);
    t.dialogs.cancelFile();
    m.SaveClick();
    EXPECT_EQ(t.dialogs.fileCalls.size(), dialogs + 2); // the load's, then the save's
    EXPECT_TRUE(t.dialogs.fileCalls.back().save);
    EXPECT_EQ(t.state().MapModified, 1);
}

TEST_F(FileCommands, SaveIntoAMissingFolderReportsTheReasonAndChangesNothing) {
    edit(t);
    const QString target = t.path(QStringLiteral("no-such-folder/x.map"));
    t.dialogs.chooseFile(target);
    m.NameSaveButtonClick();

    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    const QString& text = t.dialogs.messages[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("保存できません"))) << text.toStdString();
    expectMessage(t, 0, kCaution, QString::fromLocal8Bit(std::strerror(ENOENT)));
    expectMessage(t, 0, kCaution, target);
    EXPECT_EQ(t.fileName(), f.map);
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_FALSE(m.OverWriteSaveButton->isEnabled() || m.Save->isEnabled());

    // Overwrite-save to a file whose folder has gone: the same report, the buttons stay enabled.
    m.OverWriteSaveButton->setEnabled(true);
    m.Save->setEnabled(true);
    t.setFileName(target);
    m.SaveClick();
    EXPECT_EQ(t.dialogs.messages.size(), 2u);
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_TRUE(m.OverWriteSaveButton->isEnabled());
    EXPECT_EQ(t.fileName(), target);
}

// Lowers this process's file-size limit for the guard's lifetime: a write beyond it fails with
// EFBIG, as a full disk fails, instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    void (*oldHandler_)(int);
    rlimit old_{};
};

TEST_F(FileCommands, SaveThatRunsOutOfSpaceKeepsTheOldFile) {
    edit(t);
    const std::string before = readBytes(f.map);
    ASSERT_GT(before.size(), 600u);
    {
        FileSizeLimit limit(512);
        m.SaveClick();
    }
    EXPECT_EQ(readBytes(f.map), before);
    EXPECT_EQ(t.state().MapModified, 1);
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    expectMessage(t, 0, kCaution, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(tmpFiles(t), 0);

    // With room again the same command writes the map.
    m.SaveClick();
    EXPECT_EQ(readBytes(f.map), formatMapFile(heldMap(t)));
    EXPECT_EQ(t.state().MapModified, 0);
}

TEST_F(FileCommands, SaveOverAFileWithAnotherHardLinkWritesEveryName) {
    edit(t);
    const QString other = t.path(QStringLiteral("other-name.map"));
    ASSERT_EQ(::link(QFile::encodeName(f.map).constData(), QFile::encodeName(other).constData()),
              0);
    m.SaveClick();
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(readBytes(f.map), formatMapFile(heldMap(t)));
    EXPECT_EQ(readBytes(other), formatMapFile(heldMap(t)));
    EXPECT_EQ(t.state().MapModified, 0);
}

// Every save goes through one writer; the map stays unsaved when the target is no file. A pipe
// with a reader would take the bytes (and one without would hold the editor until a reader
// came); the reader here shows that nothing was sent.
TEST_F(FileCommands, SaveOntoAPipeADeviceOrAFolderIsRefusedNamingIt) {
    const QString pipe = t.path(QStringLiteral("pipe.map"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    QDir(t.dir.path()).mkdir(QStringLiteral("folder.map"));
    const QString device = t.path(QStringLiteral("null.map")); // a name the save test takes
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), device));
    const std::pair<QString, QString> cases[] = {
        {pipe, QStringLiteral("名前付きパイプ")},
        {device, QStringLiteral("デバイス")},
        {t.path(QStringLiteral("folder.map")), QStringLiteral("フォルダー")},
    };
    edit(t);
    for (const auto& [target, kind] : cases) {
        t.dialogs.messages.clear();
        t.dialogs.chooseFile(target);
        m.NameSaveButtonClick(); // 名前をつけて保存
        t.setFileName(target);
        m.SaveClick(); // 上書き保存, Ctrl+S and "はい" at the question
        ASSERT_EQ(t.dialogs.messages.size(), 2u) << target.toStdString();
        expectMessage(t, 0, kCaution, QStringLiteral("保存先が") + kind);
        expectMessage(t, 1, kCaution, QStringLiteral("保存先が") + kind);
        EXPECT_EQ(t.state().MapModified, 1);
    }
    char buf[16];
    EXPECT_LE(::read(reader, buf, sizeof buf), 0);
    ::close(reader);
}

// ---------------------------------------------------------------------------------------------
// Load

TEST(FileCommandsLoad, LoadReadsTheMapAndTheSheetAndRebuildsTheWindows) {
    TestApp t;
    const MapFixture f = writeMapFixture(t, QStringLiteral("Mixed.Map"), 30, 20, 5);
    t.state().SheetScrollX = 64;
    t.state().SheetScrollY = 32;
    t.state().CurrentChip = 9;
    loadThroughMenu(t, f.map);

    ASSERT_EQ(t.dialogs.fileCalls.size(), 1u);
    expectFileRequest(t.dialogs.fileCalls[0], false,
                      "マップ(*.MAP)|*.MAP|Tiledのマップ(*.tmx;*.tmx.gz;*.tmj;*.tmj.gz)|"
                      "*.tmx;*.tmx.gz;*.tmj;*.tmj.gz",
                      "使用するＭＡＰファイルの読み込み");
    EXPECT_TRUE(t.dialogs.messages.empty());

    EXPECT_EQ(heldMap(t), f.contents);
    EXPECT_EQ(t.state().SheetFileName, f.sheet.toStdString());
    EXPECT_EQ(t.fileName(), f.map); // in its own letter case
    EXPECT_EQ(t.state().SheetScrollX, 0);
    EXPECT_EQ(t.state().SheetScrollY, 0);
    EXPECT_EQ(t.state().CurrentChip, 9);
    EXPECT_EQ(t.state().MapModified, 0);
    EXPECT_EQ(t->MapChipWindow->sheet(), makeSheet(128, 96));
    EXPECT_TRUE(t->MapWindow->isVisible() && t->MapChipWindow->isVisible());
    EXPECT_TRUE(t->MainWindow->NameSaveButton->isEnabled());
    // No save-as since start: overwrite-save stays disabled.
    EXPECT_FALSE(t->MainWindow->OverWriteSaveButton->isEnabled() ||
                 t->MainWindow->Save->isEnabled());
}

TEST_F(FileCommands, LoadOfANameWithoutMapOrACancelledDialogDoesNothing) {
    edit(t);
    const MapContents before = heldMap(t);
    const QString other = t.path(QStringLiteral("other.txt"));
    writeBytes(other, formatMapFile(patternMap(f.sheet.toStdString(), 10, 10, 12, 3)));

    loadThroughMenu(t, other); // no message, not even the unsaved-changes question
    t.dialogs.cancelFile();
    m.LoadFileClick();

    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(heldMap(t), before);
    EXPECT_EQ(t.state().MapModified, 1);
    EXPECT_EQ(t.fileName(), f.map);
}

// Everything a failed load must leave alone.
struct Snapshot {
    MapContents map;
    std::vector<std::int32_t> grid;
    QString fileName;
    int sheetWidth, modified;
    bool mapVisible, chipVisible;

    explicit Snapshot(TestApp& t)
        : map(heldMap(t)), grid(t.state().MapCells), fileName(t.fileName()),
          sheetWidth(t->MapChipWindow->sheet().width()), modified(t.state().MapModified),
          mapVisible(t->MapWindow->isVisible()), chipVisible(t->MapChipWindow->isVisible()) {}
    bool operator==(const Snapshot&) const = default;
};

TEST(FileCommandsLoad, FailedLoadsReportAndLeaveEverythingAsItWas) {
    enum class Sheet { None, Junk, Narrow, Strip };
    struct Case {
        const char* name;
        std::string bytes;  // the map file's contents
        const char* folder; // where map and sheet lie, under the test folder ("" = itself)
        Sheet sheet;        // what lies beside the map as "s.bmp"
        QString caption;    // the message box's caption
        QString part;       // a part of its text
    };
    const QString title = ApplicationTitle;
    const QString unreadable = QStringLiteral("マップデータを読み込めません");
    auto naming = [](const char* sheet) { return formatMapFile(patternMap(sheet, 10, 10, 4)); };
    const std::string longPath = "/" + std::string(4000, 'x') + ".bmp";
    const Case cases[] = {
        {"short file", "x.bmp,\r\n10,\r\n10,\r\n0,0,\r\n", "", Sheet::None, title, unreadable},
        {"line 1 of 10 MB", std::string(10 << 20, 'x') + ",\r\n10,\r\n10,\r\n", "", Sheet::None,
         title, QStringLiteral("パスが長すぎます")},
        {"bad width", "x.bmp,\r\nabc,\r\n10,\r\n", "", Sheet::None, title, QStringLiteral("2行目")},
        {"empty", "", "", Sheet::None, title, unreadable},
        // A missing sheet is a question, answered No here.
        {"sheet missing", naming("/nowhere/gone.bmp"), "", Sheet::None, kCaution,
         QStringLiteral("/nowhere/gone.bmp")},
        // D:\表示\none.bmp in code page 932, named in the message as written.
        {"sheet missing, Windows name", naming("D:\\\x95\x5C\x8E\xA6\\none.bmp"), "", Sheet::None,
         kCaution, QStringLiteral("D:\\表示\\none.bmp")},
        {"sheet missing, long path", naming(longPath.c_str()), "", Sheet::None, kCaution,
         QStringLiteral("/xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx…")},
        {"sheet not a bitmap", naming("s.bmp"), "", Sheet::Junk, title,
         QStringLiteral("ビットマップを読み込めません")},
        {"sheet too narrow", naming("s.bmp"), "", Sheet::Narrow, title,
         QStringLiteral("小さすぎます（20×64ドット")},
        {"sheet lower than a chip", naming("s.bmp"), "", Sheet::Strip, title,
         QStringLiteral("小さすぎます（64×16ドット")},
    };
    for (const Case& c : cases) {
        TestApp t;
        loadFixture(t);
        edit(t);
        QDir(t.dir.path()).mkpath(QString::fromUtf8(c.folder));
        const QString folder = t.path(QString::fromUtf8(c.folder)) + QLatin1Char('/');
        const QString path = folder + QStringLiteral("bad.map");
        writeBytes(path, c.bytes);
        const QString sheet = folder + QStringLiteral("s.bmp");
        if (c.sheet == Sheet::Junk) writeBytes(sheet, "not a bitmap at all");
        if (c.sheet == Sheet::Narrow) writeSheetBmp(sheet, 20, 64);
        if (c.sheet == Sheet::Strip) writeSheetBmp(sheet, 64, 16);
        const Snapshot before(t);
        t.dialogs.answer(Answer::No); // keep the changes unsaved
        t.dialogs.answer(Answer::No); // choose no sheet, where asked
        loadThroughMenu(t, path);

        ASSERT_EQ(t.dialogs.messages.size(), 2u) << c.name;
        expectMessage(t, 1, c.caption, c.part);
        EXPECT_LT(t.dialogs.messages[1].text.size(), 300) << c.name;
        EXPECT_TRUE(Snapshot(t) == before) << c.name;
    }
}

// A map whose sheet is not found: the user is asked whether to choose one. No, or a chooser
// cancelled or refusing its pick, leaves everything as it was; a sheet chosen loads the map with
// it, the map then names that sheet (relative to its folder) and counts as modified.
TEST(FileCommandsLoad, MissingSheetIsAskedForAndTheChosenOneNamed) {
    // What follows the question: No; Yes and the chooser cancelled; Yes and a sheet without a
    // whole chip; Yes and a good sheet ("" = no file dialog answer).
    const std::pair<Answer, const char*> cases[] = {
        {Answer::No, nullptr}, {Answer::Yes, ""}, {Answer::Yes, "narrow"}, {Answer::Yes, "other"}};
    for (const auto& [answer, sheet] : cases) {
        TestApp t;
        loadFixture(t);
        QDir(t.dir.path()).mkpath(QStringLiteral("maps"));
        QDir(t.dir.path()).mkpath(QStringLiteral("sheets"));
        const QString map = t.path(QStringLiteral("maps/lost.map"));
        const MapContents contents = patternMap("C:\\gone\\sea.bmp", 12, 10, 6, 2);
        writeBytes(map, formatMapFile(contents));
        writeSheetBmp(t.path(QStringLiteral("sheets/other.bmp")), 96, 64);
        writeSheetBmp(t.path(QStringLiteral("sheets/narrow.bmp")), 16, 64);
        const Snapshot before(t);

        t.dialogs.chooseFile(map);
        t.dialogs.answer(answer);
        if (sheet && !*sheet) t.dialogs.cancelFile();
        if (sheet && *sheet)
            t.dialogs.chooseFile(t.path(QStringLiteral("sheets/%1.bmp").arg(QLatin1String(sheet))));
        t->MainWindow->LoadFileClick();

        ASSERT_FALSE(t.dialogs.messages.empty());
        expectMessage(t, 0, kCaution, QStringLiteral("見つかりません\nC:\\gone\\sea.bmp\n"));
        EXPECT_EQ(t.dialogs.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_TRUE(t.dialogs.files.empty());
        if (!sheet || std::string(sheet) != "other") {
            EXPECT_TRUE(Snapshot(t) == before) << sheet;
            continue;
        }
        MapContents named = contents;
        named.sheetPath = "../sheets/other.bmp";
        EXPECT_EQ(heldMap(t), named);
        EXPECT_EQ(t->MapChipWindow->sheet().width(), 96);
        EXPECT_EQ(t.state().MapModified, 1);
        // Saved, it opens again with that sheet and no question.
        t->MainWindow->SaveMap();
        TestApp u;
        loadThroughMenu(u, map);
        EXPECT_TRUE(u.dialogs.messages.empty());
        EXPECT_EQ(heldMap(u), named);
    }
}

TEST(FileCommandsLoad, LoadedMapKeepsItsSheetPathAsWritten) {
    struct Case {
        const char* what;
        std::string written; // line 1
        const char* folder;  // the map's folder, under the test folder
        const char* sheet;   // where the sheet lies, under the test folder
        bool moves;          // also saved into a sibling folder and opened from there
    };
    const Case cases[] = {
        // "C:\タイル\表示\Sea.BMP" in code page 932: 表 is 0x95 0x5C, whose second byte is a
        // backslash; the sheet is found beside the map by its name.
        {"Windows path", "C:\\\x83\x5E\x83\x43\x83\x8B\\\x95\x5C\x8E\xA6\\Sea.BMP", "win",
         "win/sea.bmp", true},
        {"relative path", "tiles/sea.bmp", "maps", "maps/tiles/sea.bmp", true},
        {"folder with a comma", "sea.bmp", "old,maps", "old,maps/sea.bmp", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestApp t;
        const QString sheet = t.path(QString::fromUtf8(c.sheet));
        QDir().mkpath(QFileInfo(sheet).absolutePath());
        writeSheetBmp(sheet, 96, 64);
        const QString folder = t.path(QString::fromUtf8(c.folder)) + QLatin1Char('/');
        const MapContents contents = patternMap(c.written, 12, 10, 6);
        writeBytes(folder + QStringLiteral("a.map"), formatMapFile(contents));

        loadThroughMenu(t, folder + QStringLiteral("a.map"));
        EXPECT_TRUE(t.dialogs.messages.empty());
        EXPECT_EQ(heldMap(t), contents);
        EXPECT_EQ(t->MapChipWindow->sheet().width(), 96);

        // Saved under another name beside it: line 1 as read, byte for byte.
        t.state().MapModified = 1;
        t.dialogs.chooseFile(folder + QStringLiteral("b.map"));
        t->MainWindow->NameSaveButtonClick();
        EXPECT_EQ(readBytes(folder + QStringLiteral("b.map")), formatMapFile(contents));

        if (!c.moves) continue;
        // Saved into a sibling folder, it still finds the same sheet from there.
        QDir(t.dir.path()).mkdir(QStringLiteral("sibling"));
        const QString moved = t.path(QStringLiteral("sibling/c.map"));
        t.dialogs.chooseFile(moved);
        t->MainWindow->NameSaveButtonClick();
        TestApp u;
        loadThroughMenu(u, moved);
        EXPECT_TRUE(u.dialogs.messages.empty());
        EXPECT_EQ(QFileInfo(QFile::decodeName(u.state().SheetFoundAt.c_str())).canonicalFilePath(),
                  QFileInfo(sheet).canonicalFilePath());
    }
}

TEST(FileCommandsLoad, ExampleMapOpensWhereverTheFolderLies) {
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
            const QString sheet = QFile::decodeName(t.state().SheetFoundAt.c_str());
            EXPECT_TRUE(sheet.startsWith(QDir(folder).absolutePath() + QLatin1Char('/')))
                << sheet.toStdString();
            EXPECT_TRUE(QFileInfo(sheet).isFile());
        }
        // Named relative to the map, so the copy is found wherever the examples lie.
        const std::string line1 = t.state().SheetFileName;
        EXPECT_FALSE(line1.empty() || line1.front() == '/' || line1.find(':') != std::string::npos)
            << line1;
    }
}

TEST_F(FileCommands, LoadAsksFirstThenSavesDropsOrKeepsTheChanges) {
    // Yes: the file is saved first, then read back.
    edit(t, 9);
    const MapContents edited = heldMap(t);
    t.dialogs.answer(Answer::Yes);
    loadThroughMenu(t, f.map); // the very file the Yes rewrites
    expectModifiedPrompt(t, 0, MessageButtons::YesNo);
    EXPECT_EQ(heldMap(t), edited);
    EXPECT_EQ(readBytes(f.map), formatMapFile(edited));
    EXPECT_EQ(t.state().MapModified, 0);

    // No: the changes are dropped.
    const MapFixture other = writeMapFixture(t, QStringLiteral("other.map"), 15, 12, 4);
    edit(t);
    t.dialogs.answer(Answer::No);
    loadThroughMenu(t, other.map);
    EXPECT_EQ(heldMap(t), other.contents);

    // An unnamed, changed map: Yes, then the save dialog cancelled — the load is abandoned.
    edit(t, 10);
    t.setFileName({});
    const Snapshot before(t);
    const MapFixture third = writeMapFixture(t, QStringLiteral("third.map"), 11, 11, 1);
    t.dialogs.answer(Answer::Yes);
    t.dialogs.cancelFile();
    loadThroughMenu(t, third.map);
    EXPECT_TRUE(Snapshot(t) == before);
}

TEST_F(FileCommands, LoadWhileAZoomPickIsPendingKeepsOriginAndStep) {
    EditorState& s = t.state();
    s.ViewCol = 3;
    s.ViewRow = 2;
    m.ZoomOutButtonClick();
    ASSERT_EQ(s.ZoomPending, 1);
    const int step = s.ZoomStep;
    const MapFixture other = writeMapFixture(t, QStringLiteral("other.map"), 40, 40, 2);
    loadThroughMenu(t, other.map);
    EXPECT_EQ(heldMap(t), other.contents);
    EXPECT_EQ(std::tuple(s.ViewCol, s.ViewRow, s.ZoomStep, s.ZoomPending),
              std::tuple(3, 2, step, 1));

    // Without a pending pick the view starts over.
    TestApp u;
    loadFixture(u);
    u.state().ViewCol = 3;
    u.state().ZoomStep = 2;
    loadThroughMenu(u, writeMapFixture(u, QStringLiteral("b.map"), 40, 40).map);
    EXPECT_EQ(u.state().ViewCol, 0);
    EXPECT_EQ(u.state().ZoomStep, 6);
}

TEST_F(FileCommands, SmallerMapLeavesTheOldCellsOutsideIt) {
    const MapFixture small = writeMapFixture(t, QStringLiteral("small.map"), 20, 15, 6);
    loadThroughMenu(t, small.map);
    EXPECT_EQ(t.state().MapWidth, 20);
    EXPECT_EQ(t.state().MapHeight, 15);
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 30; ++c)
            ASSERT_EQ(t.state().cell(r, c),
                      r < 15 && c < 20 ? small.contents.at(r, c) : f.contents.at(r, c))
                << r << "," << c;
}

// ---------------------------------------------------------------------------------------------
// Open (toolbar), exit and the close box

TEST_F(FileCommands, OpenClearsTheStampBanksOnlyWhenAMapIsLoaded) {
    EditorState& s = t.state();
    s.StampBanks[0] = 5;
    s.StampBanks[4999] = -1;
    t->StampWindow->show();

    t.dialogs.cancelFile();
    m.OpenButtonClick();
    EXPECT_EQ(s.StampBanks[0], 5);
    EXPECT_EQ(s.StampBanks[4999], -1);
    EXPECT_TRUE(t->StampWindow->isVisible());

    writeBytes(t.path(QStringLiteral("broken.map")), "x.bmp,\r\n");
    t.dialogs.chooseFile(t.path(QStringLiteral("broken.map")));
    m.OpenButtonClick();
    EXPECT_EQ(s.StampBanks[0], 5);
    EXPECT_TRUE(t->StampWindow->isVisible());

    t.dialogs.chooseFile(f.map);
    m.OpenButtonClick();
    EXPECT_TRUE(std::all_of(s.StampBanks.begin(), s.StampBanks.end(),
                            [](std::int32_t v) { return v == 0; }));
    EXPECT_FALSE(t->StampWindow->isVisible());
    EXPECT_EQ(s.MapModified, 0);
}

TEST_F(FileCommands, ExitAsksLikeTheCloseBox) {
    std::vector<int> exits;
    m.exitProgram = [&](int code) { exits.push_back(code); };
    m.ExitAppClick(); // no changes: leaves at once
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(exits, std::vector<int>{0});

    edit(t); // changes, Yes, save dialog cancelled: stays
    t.setFileName({});
    t.dialogs.answer(Answer::Yes);
    t.dialogs.cancelFile();
    m.ExitAppClick();
    expectModifiedPrompt(t, 0, MessageButtons::YesNo);
    EXPECT_EQ(exits.size(), 1u);
    EXPECT_EQ(t.state().MapModified, 1);

    t.dialogs.answer(Answer::No); // changes, No: leaves without saving
    m.ExitAppClick();
    EXPECT_EQ(exits, (std::vector<int>{0, 0}));
    EXPECT_EQ(readBytes(f.map), formatMapFile(f.contents));
}

TEST_F(FileCommands, CloseBoxLeavesOnlyWhenTheMapIsSafe) {
    EXPECT_TRUE(m.FormCloseQuery());
    EXPECT_TRUE(t.dialogs.messages.empty());

    edit(t);
    t.dialogs.answer(Answer::Yes);
    EXPECT_TRUE(m.FormCloseQuery());
    EXPECT_EQ(readBytes(f.map), formatMapFile(heldMap(t)));

    // Yes, but the write fails: stays open.
    edit(t);
    t.setFileName(t.path(QStringLiteral("gone/x.map")));
    t.dialogs.answer(Answer::Yes);
    EXPECT_FALSE(m.FormCloseQuery());
    EXPECT_EQ(t.state().MapModified, 1);

    // Through the real close box: Yes and a cancelled save dialog keep the window open.
    t->start();
    t.setFileName({});
    t.dialogs.answer(Answer::Yes);
    t.dialogs.cancelFile();
    m.close();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(t.state().MapModified, 1);
}

TEST_F(FileCommands, CloseBoxEndsTheProgramThroughTheExitHook) {
    std::vector<int> exits;
    m.exitProgram = [&](int code) { exits.push_back(code); };
    t->start();
    edit(t);
    t.dialogs.answer(Answer::No);
    m.close();
    EXPECT_EQ(exits, std::vector<int>{0});
    EXPECT_FALSE(m.isVisible());
}

} // namespace
} // namespace tilora::test
