#include "shell/Recovery.h"

#include "core/MapLoad.h"
#include "core/PathText.h"
#include "core/SheetImage.h"
#include "newmap/SheetChecks.h"
#include "platform/SheetSearch.h"
#include "platform/UiText.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"
#include "shell/TiledOpen.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <exception>

namespace tilora {

namespace {

const UiText kRestoreCaption{QT_TRANSLATE_NOOP("tilora", "復元")};
const UiText kRestoreText{QT_TRANSLATE_NOOP("tilora",
                                            "前回保存されずに終了したマップデータが残っています\n"
                                            "%1\n（%2）\n"
                                            "復元しますか？（いいえ：このデータを削除します）")};
const UiText kUnreadableCopy{
    QT_TRANSLATE_NOOP("tilora", "復元用のマップデータを読み込めません\n%1\n%2")};
const UiText kNoSheet{QT_TRANSLATE_NOOP("tilora", "マップデータのチップ画像が見つかりません\n%1")};
const UiText kWarningCaption{QT_TRANSLATE_NOOP("tilora", "警告")};
const UiText kCannotKeep{
    QT_TRANSLATE_NOOP("tilora", "%1\n編集はこのまま続けられますが、異常終了したときに未保存の変更を"
                                "復元できません")};

QString fromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// A path as a message shows it: shortened when long.
QString shownPath(const std::string& bytes) {
    return QString::fromStdString(pathForMessage(bytes));
}

// The sheet a copy was drawn with: where it was found then, else looked up again from the map
// file's folder as a load would.
Result<Bitmap> loadCopySheet(const RecoveredMap& copy, std::string& foundAt) {
    foundAt = copy.info.sheetFile;
    if (!foundAt.empty()) {
        if (Result<Bitmap> sheet = loadSheetImage(foundAt)) return sheet;
    }
    const SheetSearchResult where = findSheet(copy.map.sheetPath, copy.info.mapFile);
    if (!where.found()) return Error{QString(kNoSheet).arg(where.lookedFor).toStdString()};
    foundAt = where.bytes;
    return loadSheetImage(foundAt);
}

} // namespace

Recovery::Recovery(Application& app, std::string folder)
    : app_(app), keeper_(std::move(folder), encodeSheetPng) {
    timer_.setInterval(TickMs);
    connect(&timer_, &QTimer::timeout, this, &Recovery::tick);
}

Recovery::~Recovery() {
    if (std::uncaught_exceptions() == 0) keeper_.removeCopy();
}

void Recovery::start() {
    timer_.start();
}

RecoveryInfo Recovery::currentInfo() const {
    return {app_.State.CurrentFileName, app_.State.sheetInUse(), app_.State.GeneratedSheetName};
}

void Recovery::tick() {
    keeper_.update(app_.State, currentInfo());
    const std::optional<std::string> failure = keeper_.takeFailure();
    if (!failure || warned_) return;
    warned_ = true;
    app_.dialogs.messageBox(app_.MainWindow.get(),
                            QString(kCannotKeep).arg(QString::fromStdString(*failure)),
                            kWarningCaption, MessageButtons::Ok);
}

void Recovery::mapMatchesFile() {
    keeper_.removeCopy();
}

void Recovery::offerOrphans() {
    if (offered_) return;
    offered_ = true;
    for (OrphanCopy& orphan : keeper_.orphans()) {
        Result<RecoveredMap> copy = orphan.read();
        if (!copy) {
            // Kept: the user may still open or delete it by hand.
            app_.dialogs.messageBox(
                app_.MainWindow.get(),
                QString(kUnreadableCopy)
                    .arg(QString::fromStdString(copy.error().message), shownPath(orphan.mapPath())),
                CautionCaption, MessageButtons::Ok);
            continue;
        }
        const QString name = copy->info.mapFile.empty()
                                 ? uiText(QT_TRANSLATE_NOOP("tilora", "（名前のないマップ）"))
                                 : shownPath(copy->info.mapFile);
        const QString size = QStringLiteral("%1×%2").arg(copy->map.width).arg(copy->map.height);
        const Answer answer =
            app_.dialogs.messageBox(app_.MainWindow.get(), QString(kRestoreText).arg(name, size),
                                    kRestoreCaption, MessageButtons::YesNo);
        if (answer == Answer::Yes)
            restore(orphan, *copy);
        else if (answer == Answer::No)
            orphan.discard();
        // A box closed without an answer keeps the copy for the next start.
    }
}

bool Recovery::restore(OrphanCopy& orphan, const RecoveredMap& copy) {
    TMainWindow& main = *app_.MainWindow;
    // A map restored a moment ago is unsaved work too.
    if (main.AskToSave(AskMode::LoadOrExit)) return false;
    std::string sheetFile;
    Result<Bitmap> sheet = loadCopySheet(copy, sheetFile);
    if (!sheet) {
        showError(app_, &main, QString::fromStdString(sheet.error().message));
        return false;
    }

    // As a load does, except that the map stays unsaved and keeps the file it belongs to, so the
    // next save writes that file.
    LoadedMap restored;
    restored.file = copy.info.mapFile;
    restored.contents = copy.map;
    if (copy.info.generatedSheet.empty()) {
        restored.sheetName = copy.map.sheetPath;
        restored.sheetFoundAt = std::move(sheetFile);
    } else {
        // An import's sheet, kept beside the copy: it still has no file, and the first save
        // writes one beside the map as it would have.
        restored.generatedSheetName = copy.info.generatedSheet;
    }
    restored.sheetPicture = std::make_shared<const Bitmap>(std::move(*sheet));
    restored.modified = true;
    EditorState& s = app_.State;
    s.open(std::move(restored));
    app_.sheetReplaced();
    s.SheetScrollX = 0;
    s.SheetScrollY = 0;
    app_.layoutChipWindow();
    app_.refreshMapView();
    if (!copy.info.mapFile.empty()) {
        app_.commandMemory.allowOverwrite();
        app_.commandsChanged();
    }
    // The map named on the command line is this one, with the changes it had: opening the file
    // after it would only ask whether to save them.
    QString& atStart = main.MapToOpenAtStart;
    const QString restoredFile = QFileInfo(fromBytes(s.CurrentFileName)).canonicalFilePath();
    if (!restoredFile.isEmpty() && QFileInfo(atStart).canonicalFilePath() == restoredFile)
        atStart.clear();

    // The copy becomes this editor's own. Should that fail, it stays where it is and is offered
    // again at the next start, while this editor writes a copy of its own as for any change.
    static_cast<void>(keeper_.adopt(orphan, copy));
    return true;
}

} // namespace tilora
