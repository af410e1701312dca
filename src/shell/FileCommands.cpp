// The file commands of the main window: new map, open/load, save, save as, close and exit, with
// the unsaved-changes prompt they share.
//
// Every routine here decides first and changes afterwards: a save that fails or is cancelled
// leaves MapModified, the file name and the save buttons as they were, and a load that fails at
// any point (file, contents, chip sheet) leaves the map, the sheet and every window untouched.

#include "core/MapLoad.h"
#include "core/PathText.h"
#include "newmap/SheetChecks.h"
#include "platform/UiText.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"
#include "shell/TiledOpen.h"
#include "stamps/TStampWindow.h"
#include "tiled/TiledImport.h"
#include "tiled/TiledOpen.h"

#include <QAction>
#include <QFile>

namespace tilora {

namespace {

const UiText kModifiedText{
    QT_TRANSLATE_NOOP("tilora", "マップデータは変更されています保存しますか？")};
const UiText kModifiedCaption{QT_TRANSLATE_NOOP("tilora", "ちょっと待った！！")};
const UiText kCannotSave{QT_TRANSLATE_NOOP("tilora", "保存できません")};

// SaveDialog1 as the save-as command sets it before each use. A name typed without an extension
// gets ".map" in lower case, as scripts and shell globs on Linux look for it.
const QString kMapSaveExt = QStringLiteral("map");
const UiText kMapSaveFilter{QT_TRANSLATE_NOOP("tilora", "マップデータ(*.map)|*.map")};
const UiText kMapSaveTitle{QT_TRANSLATE_NOOP("tilora", "マップデータの保存")};

// OpenDialog1 as the load command sets it before each use (the sheet chooser shares it). Tiled's
// maps are offered beside map files.
const QString kMapOpenExt = QStringLiteral("MAP");
const UiText kMapOpenFilter{
    QT_TRANSLATE_NOOP("tilora", "マップ(*.MAP)|*.MAP|Tiledのマップ(*.tmx;*.tmx.gz;*.tmj;*.tmj.gz)|"
                                "*.tmx;*.tmx.gz;*.tmj;*.tmj.gz")};
// Shown after a Tiled map was opened, when the import has something to say.
const UiText kImportNotes{QT_TRANSLATE_NOOP("tilora", "Tiledのマップを読み込みました\n%1")};
const UiText kWhichLayer{QT_TRANSLATE_NOOP(
    "tilora", "このマップにはタイルレイヤーが%1枚あります。\n読み込むレイヤーを選んでください")};
const UiText kStackAllLayers{QT_TRANSLATE_NOOP("tilora", "表示中のレイヤーをすべて重ねる")};
const UiText kMapOpenTitle{QT_TRANSLATE_NOOP("tilora", "使用するＭＡＰファイルの読み込み")};

QString fromCore(const std::string& message) {
    return QString::fromStdString(message);
}

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The save and load tests: ".map" anywhere in the name, ASCII letter case ignored, so a name
// typed without an extension (the dialog appends "map") and a file named in capitals both pass.
bool hasMapMark(const QString& path) {
    return containsIgnoringAsciiCase(path, QLatin1String(".map"));
}

// A path as a message shows it: decoded, and shortened when long.
QString shown(const QString& path) {
    return fromCore(pathForMessage(nativePath(path)));
}

QString fromBytes(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// A failed write: the system's reason and the file it was meant for.
void reportSaveFailure(Application& app, QWidget* owner, const Status& status,
                       const QString& path) {
    app.dialogs.messageBox(owner,
                           fromCore(status.error().message) + QLatin1Char('\n') + shown(path),
                           CautionCaption, MessageButtons::Ok);
}

// Only an explicit No lets the changes go: Cancel, Esc or the box's close button stop the
// command in every mode, so a box dismissed at the exit question does not end the program, nor
// one dismissed before a load replace the map.
SaveReply toSaveReply(Answer answer) {
    if (answer == Answer::Yes) return SaveReply::Yes;
    if (answer == Answer::No) return SaveReply::No;
    return SaveReply::Cancel;
}

} // namespace

bool TMainWindow::AskToSave(AskMode mode) {
    if (app_.State.MapModified == 1) {
        const Answer answer = app_.dialogs.messageBox(
            this, kModifiedText, kModifiedCaption,
            offersCancel(mode) ? MessageButtons::YesNoCancel : MessageButtons::YesNo);
        switch (decideOnSave(toSaveReply(answer))) {
        case SaveDecision::Stop:
            return true;
        case SaveDecision::SaveFirst:
            // The user asked for the map to be kept: if it was not written, nothing may go on
            // that would drop it.
            if (!SaveMap()) return true;
            break;
        case SaveDecision::GoOn:
            break;
        }
    }
    if (mode == AskMode::NewMap) app_.enterNoMapState();
    return false;
}

bool TMainWindow::SaveMapAs() {
    EditorState& s = app_.State;
    const QString previous = fromBytes(s.CurrentFileName);
    SaveDialog1.FileName = previous; // the dialog opens on the map's own name
    SaveDialog1.DefaultExt = kMapSaveExt;
    SaveDialog1.Filter = kMapSaveFilter;
    SaveDialog1.Title = kMapSaveTitle;
    if (!SaveDialog1.Execute(app_.dialogs, this)) return false;
    const QString chosen = SaveDialog1.FileName;

    if (!hasMapMark(chosen)) {
        // Confirming the map's own name again (as the dialog offered it) says nothing.
        if (chosen != previous)
            app_.dialogs.messageBox(this, kCannotSave, CautionCaption, MessageButtons::Ok);
        return false;
    }
    // Line 1 stays as read while it still leads to the sheet from the new file's folder, and
    // otherwise names the sheet so that it does: a map saved anywhere opens again. A sheet an
    // import made is written beside the map first, as a PNG named after both.
    const Status written = s.saveAs(nativePath(chosen), writeSheetPng);
    if (!written) {
        reportSaveFailure(app_, this, written, chosen);
        return false;
    }
    app_.commandMemory.allowOverwrite();
    app_.commandsChanged();
    app_.mapMatchesFile();
    return true;
}

bool TMainWindow::SaveMap() {
    EditorState& s = app_.State;
    if (s.CurrentFileName.empty()) return SaveMapAs();
    const Status written = s.save(writeSheetPng);
    if (!written) {
        reportSaveFailure(app_, this, written, fromBytes(s.CurrentFileName));
        return false;
    }
    app_.mapMatchesFile();
    return true;
}

bool TMainWindow::LoadMap() {
    OpenDialog1.DefaultExt = kMapOpenExt;
    OpenDialog1.Filter = kMapOpenFilter;
    OpenDialog1.Title = kMapOpenTitle;
    if (!OpenDialog1.Execute(app_.dialogs, this)) return false;
    return LoadChosenMap(QString(OpenDialog1.FileName)); // a copy, as the dialog may be reused
}

bool TMainWindow::LoadChosenMap(const QString& chosen) {
    if (!hasMapMark(chosen) && !hasTiledMark(chosen)) return false;

    // Asked before the file is read: a Yes may rewrite the very file being opened.
    if (AskToSave(AskMode::LoadOrExit)) return false;
    if (opensAsTiledMap(chosen)) return OpenTiledMap(chosen);

    // Everything a load needs is gathered and checked (core/MapLoad) before the first change.
    const std::string path = nativePath(chosen);
    MapLoadOptions options;
    Result<LoadedMap, LoadRefusal> loaded = loadMap(path, options);
    if (!loaded && loaded.error().stage == LoadStage::FindSheet) {
        // The sheet is not where the map says: the user may pick it (or another) instead, and
        // the map then names the chosen one so that it opens with it again.
        std::optional<QString> instead = askForSheet(loaded.error().sheetPath);
        if (!instead) return false;
        options.sheetInstead = nativePath(*instead);
        loaded = loadMap(path, options);
    }
    if (!loaded) {
        reportLoadRefusal(loaded.error(), chosen);
        return false;
    }
    showLoadedMap(std::move(*loaded));
    return true;
}

bool TMainWindow::OpenTiledMap(const QString& chosen) {
    // The import becomes a map with no file: the first save asks where, and writes a sheet the
    // import made beside it.
    const auto chooseLayer = [this](const std::vector<std::string>& layers) -> std::optional<int> {
        QStringList items;
        for (const std::string& name : layers)
            items << fromCore(name);
        items << QString(kStackAllLayers);
        const std::optional<int> chosen = app_.dialogs.chooseItem(
            this, QString(kWhichLayer).arg(layers.size()), ApplicationTitle, items);
        if (chosen && *chosen == int(layers.size())) return tiled::StackAllLayers;
        return chosen;
    };
    auto opened = tiled::openTiledMap(nativePath(chosen), chooseLayer);
    if (!opened) {
        reportLoadRefusal(opened.error(), chosen);
        return false;
    }
    if (!*opened) return false; // no layer chosen: the map shown stays as it was
    tiled::TiledOpen& open = **opened;
    showLoadedMap(std::move(open.map));
    if (!open.notices.empty()) {
        QStringList notes;
        for (const std::string& notice : open.notices)
            notes << fromCore(notice);
        app_.dialogs.messageBox(this, QString(kImportNotes).arg(notes.join(QLatin1Char('\n'))),
                                ApplicationTitle, MessageButtons::Ok);
    }
    return true;
}

std::optional<QString> TMainWindow::askForSheet(const std::string& written) {
    const QString question =
        uiText(QT_TRANSLATE_NOOP("tilora", "マップデータのチップ画像が見つかりません\n%1\n"
                                           "使用するチップ画像を選びますか？"))
            .arg(fromCore(pathForMessage(written)));
    if (app_.dialogs.messageBox(this, question, CautionCaption, MessageButtons::YesNo) !=
        Answer::Yes)
        return std::nullopt;
    OpenDialog1.FileName.clear();
    return chooseSheetName(app_, this);
}

void TMainWindow::reportLoadRefusal(const LoadRefusal& refusal, const QString& chosen) {
    // A sheet's refusal names the sheet's file; the others are about the map's.
    QString message = fromCore(refusal.message);
    if (refusal.stage != LoadStage::LoadSheet) message += QLatin1Char('\n') + shown(chosen);
    showError(app_, this, message);
}

void TMainWindow::showLoadedMap(LoadedMap loaded) {
    // Everything is checked: from here on nothing can fail.
    EditorState& s = app_.State;
    s.open(std::move(loaded)); // SheetFileName: line 1's bytes as read, or the chosen sheet
    app_.sheetReplaced();
    s.SheetScrollX = 0;
    s.SheetScrollY = 0;
    app_.layoutChipWindow();
    app_.refreshMapView();
    app_.mapMatchesFile();
}

void TMainWindow::NewButtonClick() {
    AskToSave(AskMode::NewMap);
}

void TMainWindow::OpenButtonClick() {
    // The stamp banks belong to the map they were made for: they go only when another map
    // actually replaces it, not when the dialog is cancelled or the file refused.
    if (!LoadMap()) return;
    app_.StampWindow->hide();
    app_.State.clearStampBanks();
}

void TMainWindow::LoadFileClick() {
    LoadMap();
}

void TMainWindow::SaveClick() {
    SaveMap();
}

void TMainWindow::NameSaveButtonClick() {
    SaveMapAs();
}

void TMainWindow::CloseFileClick() {
    if (AskToSave(AskMode::CloseMap)) return;
    // The map stays on screen and in memory; the save, close and view-menu items go.
    app_.commandMemory.mapClosed();
    app_.commandsChanged();
}

void TMainWindow::ExitAppClick() {
    // Leaving by the menu asks like the close box does.
    if (FormCloseQuery()) exitProgram(0);
}

bool TMainWindow::FormCloseQuery() {
    return !AskToSave(AskMode::LoadOrExit);
}

} // namespace tilora
