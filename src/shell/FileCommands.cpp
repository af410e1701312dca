// The file commands of the main window: new map, open/load, save, save as, close and exit, with
// the unsaved-changes prompt they share.
//
// Every routine here decides first and changes afterwards: a save that fails or is cancelled
// leaves MapModified, the file name and the save buttons as they were, and a load that fails at
// any point (file, contents, chip sheet) leaves the map, the sheet and every window untouched.

#include "core/FileIO.h"
#include "core/MapFile.h"
#include "core/PathText.h"
#include "core/SheetImage.h"
#include "core/SheetLocator.h"
#include "core/SheetPathRebase.h"
#include "newmap/SheetChecks.h"
#include "platform/BmpLoader.h"
#include "platform/SheetSearch.h"
#include "platform/UiText.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"
#include "stamps/TStampWindow.h"

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

// OpenDialog1 as the load command sets it before each use (the sheet chooser shares it).
const QString kMapOpenExt = QStringLiteral("MAP");
const UiText kMapOpenFilter{QT_TRANSLATE_NOOP("tilora", "マップ(*.MAP)|*.MAP")};
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

// The sheet the map's line 1 leads to from the map's file, as the load found it; for a map not
// yet saved, only an absolute line 1 (the sheet chooser's) leads anywhere.
std::string sheetInUse(const EditorState& state, const QString& mapFile) {
    const std::string& written = state.SheetFileName;
    if (mapFile.isEmpty() && (written.empty() || written.front() != '/')) return {};
    return locateSheet(written, mapFile.isEmpty() ? written : nativePath(mapFile)).path;
}

// Writes the map rectangle to path, naming the sheet by sheetPath, through a temporary file
// renamed over it, so a write that fails (no folder, no permission, disk full) leaves any old
// file as it was. Only a regular file or a new name is written: a pipe would hold the editor
// until a reader came, and bytes sent into a device are no saved map.
Status writeMapFile(const EditorState& state, const std::string& sheetPath, const QString& path) {
    MapContents contents = mapContentsFromState(state);
    contents.sheetPath = sheetPath;
    if (Status valid = checkMapContents(contents); !valid) return valid;
    return saveFileAtomically(nativePath(path), formatMapFile(contents), SpecialTargets::Refuse);
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
    const QString previous = SaveDialog1.FileName;
    SaveDialog1.DefaultExt = kMapSaveExt;
    SaveDialog1.Filter = kMapSaveFilter;
    SaveDialog1.Title = kMapSaveTitle;
    if (!SaveDialog1.Execute(app_.dialogs, this)) return false;
    const QString chosen = SaveDialog1.FileName;

    if (!hasMapMark(chosen)) {
        if (chosen != previous) {
            app_.dialogs.messageBox(this, kCannotSave, CautionCaption, MessageButtons::Ok);
            SaveDialog1.FileName = previous;
        }
        return false;
    }
    // Line 1 stays as read while it still leads to the sheet from the new file's folder, and
    // otherwise names the sheet so that it does: a map saved anywhere opens again.
    const std::string inUse = sheetInUse(app_.State, previous);
    const std::string sheetPath =
        sheetPathForMap(app_.State.SheetFileName, inUse, nativePath(chosen));
    const Status written = writeMapFile(app_.State, sheetPath, chosen);
    if (!written) {
        reportSaveFailure(app_, this, written, chosen);
        SaveDialog1.FileName = previous;
        return false;
    }
    app_.State.SheetFileName = sheetPath;
    if (!inUse.empty()) SheetFoundAt = inUse;
    app_.History.markSaved();
    app_.commandMemory.allowOverwrite();
    app_.commandsChanged();
    app_.State.MapModified = 0;
    app_.mapMatchesFile();
    return true;
}

bool TMainWindow::SaveMap() {
    if (SaveDialog1.FileName.isEmpty()) return SaveMapAs();
    const Status written = writeMapFile(app_.State, app_.State.SheetFileName, SaveDialog1.FileName);
    if (!written) {
        reportSaveFailure(app_, this, written, SaveDialog1.FileName);
        return false;
    }
    app_.History.markSaved();
    app_.State.MapModified = 0;
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
    if (!hasMapMark(chosen)) return false;

    // Asked before the file is read: a Yes may rewrite the very file being opened.
    if (AskToSave(AskMode::LoadOrExit)) return false;

    // Everything a load needs is gathered and checked before the first change.
    Result<std::string> bytes = readWholeFile(nativePath(chosen));
    if (!bytes) {
        showError(app_, this, fromCore(bytes.error().message) + QLatin1Char('\n') + shown(chosen));
        return false;
    }
    Result<MapContents> contents = parseMapFile(*bytes);
    if (!contents) {
        showError(app_, this,
                  fromCore(contents.error().message) + QLatin1Char('\n') + shown(chosen));
        return false;
    }
    const SheetSearchResult where = findSheet(contents->sheetPath, chosen);
    std::string sheetFile = where.bytes;
    std::string line1 = contents->sheetPath;
    Result<Bitmap> sheet = Error{};
    if (where.found()) {
        // The file found here only serves to load the picture: the map keeps naming its sheet
        // as line 1 has it, so a comma in the folder the sheet lies in does not matter.
        sheet = loadSheetImage(where.bytes);
        if (!sheet) {
            showError(app_, this, fromCore(sheet.error().message));
            return false;
        }
    } else {
        // The sheet is not where the map says: the user may pick it (or another) instead, and the
        // map then names the chosen one so that it opens with it again.
        const QString question =
            uiText(QT_TRANSLATE_NOOP("tilora", "マップデータのチップ画像が見つかりません\n%1\n"
                                               "使用するチップ画像を選びますか？"))
                .arg(fromCore(pathForMessage(contents->sheetPath)));
        if (app_.dialogs.messageBox(this, question, CautionCaption, MessageButtons::YesNo) !=
            Answer::Yes)
            return false;
        OpenDialog1.FileName.clear();
        std::optional<ChosenSheet> picked = chooseSheetFile(app_, this);
        if (!picked) return false;
        sheetFile = nativePath(picked->name);
        line1 = sheetPathForMap(contents->sheetPath, sheetFile, nativePath(chosen));
        sheet = std::move(picked->sheet);
    }
    contents->sheetPath = line1;

    // Everything is checked: from here on nothing can fail.
    EditorState& s = app_.State;
    applyMapContents(*contents, s); // SheetFileName: line 1's bytes as read, or the chosen sheet
    const bool sheetReplaced = !where.found();
    app_.History.clear();
    if (!sheetReplaced) app_.History.markSaved();
    SheetFoundAt = sheetFile;
    app_.setSheet(std::move(*sheet));
    SaveDialog1.FileName = chosen;
    s.SheetScrollX = 0;
    s.SheetScrollY = 0;
    app_.layoutChipWindow();
    app_.refreshMapView();
    // A map given another sheet differs from its file until it is saved.
    s.MapModified = sheetReplaced ? 1 : 0;
    app_.mapMatchesFile();
    return true;
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
