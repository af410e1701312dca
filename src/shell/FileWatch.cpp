#include "shell/FileWatch.h"

#include "core/FileIO.h"
#include "core/PathText.h"
#include "core/SheetImage.h"
#include "mapview/TMapWindow.h"
#include "newmap/SheetChecks.h"
#include "palette/TMapChipWindow.h"
#include "platform/UiText.h"
#include "shell/Application.h"
#include "shell/Recovery.h"
#include "shell/TMainWindow.h"
#include "stamps/TStampWindow.h"

#include <QApplication>
#include <QFile>
#include <QFileSystemWatcher>

namespace tilora {

namespace {

const UiText kChangedCaption{QT_TRANSLATE_NOOP("tilora", "ちょっと待った！！")};
const UiText kChangedText{
    QT_TRANSLATE_NOOP("tilora", "マップデータが他のプログラムで変更されました\n%1\n"
                                "ファイルの内容を読み込みますか？（編集中の変更は失われます）")};
const UiText kMapUnreadable{QT_TRANSLATE_NOOP(
    "tilora", "マップデータが他のプログラムで変更されましたが、読み込めません\n%1\n%2\n"
              "編集中のマップはそのまま残ります（未保存）")};
const UiText kSheetRefused{QT_TRANSLATE_NOOP(
    "tilora", "チップ画像が他のプログラムで変更されましたが、使用できません\n%1\n%2\n"
              "これまでのチップ画像のまま編集を続けます")};

QString fromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// A path as a message shows it: shortened when long.
QString shownPath(const std::string& bytes) {
    return QString::fromStdString(pathForMessage(bytes));
}

QString folderOf(const QString& file) {
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : file.left(slash);
}

} // namespace

FileWatch::FileWatch(Application& app) : app_(app) {
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    connect(&settle_, &QTimer::timeout, this, &FileWatch::check);
    poll_.setInterval(PollMs);
    connect(&poll_, &QTimer::timeout, this, &FileWatch::check);
}

FileWatch::~FileWatch() = default;

void FileWatch::start() {
    follow();
    poll_.start();
}

void FileWatch::mapMatchesFile() {
    follow();
    mapSeen_ = stampFile(mapPath_);
}

void FileWatch::follow() {
    const std::string map = app_.mapShown() ? app_.State.CurrentFileName : std::string();
    // A file newly followed holds what the editor took from it (a load, a save, the file a
    // restored copy belongs to): what counts is what changes from now on.
    if (map != mapPath_) {
        mapPath_ = map;
        mapSeen_ = stampFile(mapPath_);
    }
    const std::string sheet = app_.sheet().isNull() ? std::string() : app_.State.sheetInUse();
    if (sheet != sheetPath_) {
        sheetPath_ = sheet;
        sheetSeen_ = stampFile(sheetPath_);
    }

    QStringList wanted;
    for (const std::string* path : {&mapPath_, &sheetPath_}) {
        if (path->empty()) continue;
        const QString file = fromBytes(*path);
        wanted << file << folderOf(file);
    }
    wanted.removeDuplicates();
    if (!watcher_) {
        if (wanted.isEmpty()) return;
        watcher_ = new QFileSystemWatcher(this);
        connect(watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
        connect(watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
                qOverload<>(&QTimer::start));
    }
    const QStringList watched = watcher_->files() + watcher_->directories();
    for (const QString& path : watched) {
        if (!wanted.contains(path)) watcher_->removePath(path);
    }
    // A file replaced by a rename lost its watch with the old file; it is watched again here.
    for (const QString& path : wanted) {
        if (!watched.contains(path) && QFile::exists(path)) watcher_->addPath(path);
    }
}

void FileWatch::check() {
    if (checking_) return;
    if (QApplication::activeModalWidget()) {
        settle_.start();
        return;
    }
    checking_ = true;
    follow();
    checkSheet();
    checkMap();
    checking_ = false;
}

void FileWatch::checkMap() {
    if (mapPath_.empty()) return;
    const FileStamp now = stampFile(mapPath_);
    if (now == mapSeen_) return;
    mapSeen_ = now;
    Result<MapContents> read = Error{};
    if (now.exists) {
        Result<FileBytes> bytes = readWholeFile(mapPath_);
        read = bytes ? parseMapFile(*bytes) : Result<MapContents>(bytes.error());
    }
    const QString name = shownPath(mapPath_);
    switch (judgeMapOnDisk(now.exists, read, app_.State)) {
    case MapOnDisk::Same:
        return;
    case MapOnDisk::Gone:
        markUnsaved();
        return;
    case MapOnDisk::Unreadable:
        markUnsaved();
        app_.dialogs.messageBox(
            app_.MainWindow.get(),
            QString(kMapUnreadable).arg(QString::fromStdString(read.error().message), name),
            CautionCaption, MessageButtons::Ok);
        return;
    case MapOnDisk::Reload:
        reloadMap();
        return;
    case MapOnDisk::Ask:
        if (app_.dialogs.messageBox(app_.MainWindow.get(), QString(kChangedText).arg(name),
                                    kChangedCaption, MessageButtons::YesNo) == Answer::Yes)
            reloadMap();
        else
            markUnsaved(); // the editor's version is kept; the file no longer holds its last save
        return;
    }
}

void FileWatch::reloadMap() {
    // The question about unsaved changes has been answered (or there were none): the load must
    // not ask it again.
    app_.State.MapModified = 0;
    if (!app_.MainWindow->LoadChosenMap(fromBytes(app_.State.CurrentFileName))) markUnsaved();
}

void FileWatch::markUnsaved() {
    app_.State.MapModified = 1;
    // An undo back to the last save must not call the map saved either: that save is gone.
    app_.State.History.forgetSavedPoint();
}

void FileWatch::checkSheet() {
    if (sheetPath_.empty()) return;
    const FileStamp now = stampFile(sheetPath_);
    if (now == sheetSeen_) return;
    sheetSeen_ = now;
    // A sheet removed from disk: the picture in memory goes on serving the map.
    if (!now.exists) return;
    // The loader applies the one sheet rule, so a sheet that no longer follows it is refused here.
    Result<Bitmap> sheet = loadSheetImage(sheetPath_);
    if (!sheet) {
        app_.dialogs.messageBox(
            app_.MainWindow.get(),
            QString(kSheetRefused)
                .arg(QString::fromStdString(sheet.error().message), shownPath(sheetPath_)),
            CautionCaption, MessageButtons::Ok);
        return;
    }

    const bool resized =
        sheet->width() != app_.sheet().width() || sheet->height() != app_.sheet().height();
    app_.setSheet(std::move(*sheet));
    EditorState& s = app_.State;
    if (resized) {
        // The palette is laid out for the new size; it stays hidden if the user hid it.
        const bool paletteShown = app_.MapChipWindow->isVisible();
        s.SheetScrollX = 0;
        s.SheetScrollY = 0;
        app_.layoutChipWindow();
        if (!paletteShown) app_.setChipWindowShown(false);
    }
    if (app_.mapShown()) {
        s.SheetColumns = app_.sheet().width() / ChipPixels;
        app_.MapWindow->redrawView();
    }
    if (app_.StampWindow->isVisible()) app_.StampWindow->DrawStampBank();
}

} // namespace tilora
