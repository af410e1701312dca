// Recovery copies and the watch on the map and sheet files, with the real application object: an
// editor killed with SIGKILL after painting (a child process) gets its map back at the next start
// and the original file stays as it was; an unwritable recovery folder warns once; a map or sheet
// rewritten from outside is followed, the editor's own saves are not.

#include "FileCommandsSupport.h"
#include "RecoveryChild.h"
#include "TestApp.h"
#include "TiledFixture.h"

#include "core/FileIO.h"
#include "shell/FileWatch.h"
#include "shell/Recovery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSaveFile>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace tilora::test {

int runRecoveryChild(const char* mapPath) {
    try {
        ScriptedDialogs dialogs;
        Application app(dialogs, testScreen());
        app.start();
        if (!app.MainWindow->LoadChosenMap(QString::fromLocal8Bit(mapPath))) return 2;
        app.State.CurrentChip = ChildChip;
        QElapsedTimer since;
        since.start();
        pressButton(app.MapWindow->Image1, Qt::LeftButton, ChildCol * 32 + 16, ChildRow * 32 + 16);
        // The editor's own timer and worker write the copy.
        while (app.recovery->keeper().writesDone() == 0 && since.elapsed() < 30000)
            QTest::qWait(50);
        std::printf("written %lld\n", static_cast<long long>(since.elapsed()));
        std::fflush(stdout);
        for (;;)
            QTest::qWait(1000);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "recovery child: %s\n", e.what());
        return 3;
    }
}

namespace {

// XDG_STATE_HOME set for the lifetime of the object (before the application is made).
struct StateHome {
    QByteArray old = qgetenv("XDG_STATE_HOME");
    explicit StateHome(const QString& path) { qputenv("XDG_STATE_HOME", path.toLocal8Bit()); }
    ~StateHome() { qputenv("XDG_STATE_HOME", old); }
};

int copiesIn(const QString& stateHome) {
    int n = 0;
    std::error_code ec;
    for (const auto& e :
         std::filesystem::directory_iterator(stateHome.toStdString() + "/tilora/recovery", ec))
        n += e.path().extension() == ".map";
    return n;
}

// Runs an editor in a child process that opens `map`, paints ChildChip at (ChildCol, ChildRow)
// and is killed with SIGKILL once its recovery copy is written (into stateHome); what it printed.
QByteArray paintAndKill(const QString& map, const QString& stateHome) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_STATE_HOME"), stateHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(RecoveryChildOption), map});
    EXPECT_TRUE(child.waitForStarted());
    QByteArray out;
    while (!out.contains('\n') && child.waitForReadyRead(40000))
        out += child.readAllStandardOutput();
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();
    return out.startsWith("written ") ? out : out + child.readAllStandardError();
}

TEST(Recovery, AKilledEditorsPaintingComesBackAndItsFileStaysAsItWas) {
    TestApp t;
    const files::MapFixture f = files::writeMapFixture(t, QStringLiteral("level.map"), 12, 11);
    const std::string original = files::readBytes(f.map);
    QTemporaryDir state;

    const QByteArray out = paintAndKill(f.map, state.path());
    ASSERT_TRUE(out.startsWith("written ")) << out.toStdString();
    EXPECT_LT(out.mid(8).trimmed().toInt(), 10000); // within ten seconds of the change
    EXPECT_EQ(files::readBytes(f.map), original);

    const StateHome home(state.path());
    TestApp again;
    again.dialogs.answer(Answer::Yes);
    again->start();
    // Named on the command line too: the question comes first, and the restored map is that
    // map, so opening the file after it asks nothing more.
    again->MainWindow->MapToOpenAtStart = f.map;
    again->MainWindow->Timer1Timer();
    ASSERT_EQ(again.dialogs.messages.size(), 1u);
    EXPECT_EQ(again.dialogs.messages[0].caption, QStringLiteral("復元"));
    EXPECT_EQ(again.dialogs.messages[0].buttons, MessageButtons::YesNo);
    MapContents expected = f.contents;
    expected.cells[std::size_t(ChildRow) * 12 + ChildCol] = ChildChip;
    EXPECT_EQ(files::heldMap(again), expected);
    EXPECT_EQ(again.state().MapModified, 1);
    EXPECT_TRUE(again->MapWindow->isVisible());
    EXPECT_EQ(files::readBytes(f.map), original);

    // The next save writes the original file, and the copy goes.
    again->MainWindow->SaveClick();
    EXPECT_EQ(parseMapFile(files::readBytes(f.map)).value(), expected);
    again->recovery->keeper().flush();
    EXPECT_EQ(copiesIn(state.path()), 0);
}

// An imported map's sheet has no file until the first save: the copy keeps it, so the map comes
// back drawn as it was even with the tileset gone, and its first save still writes the sheet.
TEST(Recovery, AnImportedMapComesBackWithTheSheetItMade) {
    TestApp t;
    std::string csv = "1";
    for (int k = 1; k < 100; ++k)
        csv += ",1";
    const QString tiled = t.path(QStringLiteral("isle.tmx"));
    files::writeBytes(tiled, tiledFixture(t, 16, {{"ground", csv}}));
    QTemporaryDir state;
    const QByteArray out = paintAndKill(tiled, state.path());
    ASSERT_TRUE(out.startsWith("written ")) << out.toStdString();
    ASSERT_TRUE(QFile::remove(t.path(QStringLiteral("tiles.png"))));

    const StateHome home(state.path());
    TestApp again;
    again.dialogs.answer(Answer::Yes);
    again->start();
    again->MainWindow->Timer1Timer();
    ASSERT_EQ(again.dialogs.messages.size(), 1u)
        << again.dialogs.messages.back().text.toStdString();
    EXPECT_EQ(files::heldMap(again).at(ChildRow, ChildCol), ChildChip);
    EXPECT_EQ(again->sheet().pixel(32 * (ChildChip % 4), 32 * (ChildChip / 4)),
              chipColour(ChildChip));

    const QString saved = t.path(QStringLiteral("isle.map"));
    again.dialogs.chooseFile(saved);
    again->MainWindow->SaveClick();
    EXPECT_EQ(parseMapFile(files::readBytes(saved)).value().sheetPath, "isle-tiles.png");
    EXPECT_TRUE(QFile::exists(t.path(QStringLiteral("isle-tiles.png"))));
}

TEST(Recovery, AnUnwritableFolderWarnsOnceAndEditingGoesOn) {
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("file"));
    files::writeBytes(notAFolder, "x");
    const StateHome home(notAFolder);
    Editor e;
    for (int chip : {3, 4}) {
        e.s().CurrentChip = chip;
        e.click(0, chip);
        e.click(0, chip, Qt::RightButton); // ends the painting run
        EXPECT_EQ(e.s().cell(0, chip), chip);
        e.t->recovery->tick();
        e.t->recovery->keeper().flush();
        e.t->recovery->tick();
    }
    ASSERT_EQ(e.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(e.t.dialogs.messages[0].caption, QStringLiteral("警告"));
}

// A map of 12 x 11 loaded from its file, the sheet beside it; the watch runs.
struct Watched {
    TestApp t;
    files::MapFixture f = files::writeMapFixture(t, QStringLiteral("w.map"), 12, 11);
    Watched() {
        t->start();
        files::loadThroughMenu(t, f.map);
    }
    Pixel viewPixel(int row, int col) {
        return t->MapWindow->Image1->bitmap().pixel(col * 32 + 16, row * 32 + 16);
    }
    // Replaced from outside as tilora-cli or an image editor would: renamed over.
    void rewrite(const QString& path, const std::string& bytes) {
        ASSERT_TRUE(saveFileAtomically(QFile::encodeName(path).toStdString(), bytes));
    }
    bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); }
};

TEST(FileWatch, AMapRewrittenFromOutsideIsFollowedAfterAskingOnlyWhenThereAreUnsavedChanges) {
    struct Row {
        const char* name;
        bool unsaved;
        std::optional<Answer> asked; // the answer to the question, when there is one
        bool fileVersion;            // the editor shows the file's cells afterwards
    };
    const Row rows[] = {
        {"nothing unsaved: loaded silently", false, std::nullopt, true},
        {"unsaved, はい: the file's version", true, Answer::Yes, true},
        {"unsaved, いいえ: the editor's version, still unsaved", true, Answer::No, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Watched w;
        if (r.unsaved) {
            w.t.state().CurrentChip = 11;
            pressButton(w.t->MapWindow->Image1, Qt::LeftButton, 16, 16);
            pressButton(w.t->MapWindow->Image1, Qt::RightButton, 16, 16);
        }
        const MapContents editors = files::heldMap(w.t);
        if (r.asked) w.t.dialogs.answer(*r.asked);
        const MapContents outside = files::patternMap(w.f.contents.sheetPath, 12, 11, 12, 5);
        w.rewrite(w.f.map, formatMapFile(outside));
        ASSERT_TRUE(w.waitFor([&] {
            return r.asked ? !w.t.dialogs.messages.empty() : files::heldMap(w.t) == outside;
        }));
        EXPECT_EQ(w.t.dialogs.messages.size(), r.asked ? 1u : 0u);
        EXPECT_EQ(files::heldMap(w.t), r.fileVersion ? outside : editors);
        EXPECT_EQ(w.viewPixel(0, 0), chipColour(files::heldMap(w.t).at(0, 0)));
        EXPECT_EQ(w.t.state().MapModified, r.fileVersion ? 0 : 1);
    }
}

TEST(FileWatch, TheEditorsOwnSaveChangesNothingAndADeletedFileLeavesTheMapUnsaved) {
    Watched w;
    w.t.state().CurrentChip = 11;
    pressButton(w.t->MapWindow->Image1, Qt::LeftButton, 16, 16);
    pressButton(w.t->MapWindow->Image1, Qt::RightButton, 16, 16);
    w.t->MainWindow->SaveClick();
    w.t->fileWatch->check();
    EXPECT_TRUE(w.t.state().History.canUndo()); // not loaded again
    EXPECT_EQ(w.t.state().MapModified, 0);

    QFile::remove(w.f.map);
    w.t->fileWatch->check();
    EXPECT_TRUE(w.t->MapWindow->isVisible());
    EXPECT_EQ(w.t.state().MapModified, 1);
    w.t->MainWindow->Undo1Click(); // back to the last save, which is gone from disk
    EXPECT_EQ(w.t.state().MapModified, 1);
    EXPECT_TRUE(w.t.dialogs.messages.empty());
}

TEST(FileWatch, ASheetRewrittenFromOutsideIsLoadedAgainUnlessItBreaksTheSheetRules) {
    for (const int width : {128, 16}) {
        SCOPED_TRACE(width);
        Watched w;
        const Pixel before = w.viewPixel(0, 0);
        QImage red(width, 96, QImage::Format_RGB888);
        red.fill(Qt::red);
        QSaveFile out(w.f.sheet);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_TRUE(red.save(&out, "BMP"));
        ASSERT_TRUE(out.commit());
        const bool usable = width >= 32;
        ASSERT_TRUE(w.waitFor(
            [&] { return usable ? w.viewPixel(0, 0) != before : !w.t.dialogs.messages.empty(); }));
        EXPECT_EQ(w.viewPixel(0, 0), usable ? Pixel(0xFFFF0000) : before);
        EXPECT_EQ(w.t->sheet().width(), 128);
        EXPECT_EQ(w.t.dialogs.messages.size(), usable ? 0u : 1u);
        EXPECT_EQ(w.t.state().MapModified, 0);
    }
}

} // namespace
} // namespace tilora::test
