// The file commands of the main window: new map, open/load, save, save as, close and exit, with
// the unsaved-changes prompt they share.
//
// Every routine here decides first and changes afterwards: a save that fails or is cancelled
// leaves MapModified, the file name and the save buttons as they were, and a load that fails at
// any point (file, contents, chip sheet) leaves the map, the sheet and every window untouched.

#include "core/FileIO.h"
#include "core/MapFile.h"
#include "core/SheetImage.h"
#include "mapview/TMapWindow.h"
#include "newmap/SheetChoice.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/BmpLoader.h"
#include "platform/PictureWidget.h"
#include "platform/SheetSearch.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"
#include "stamps/TStampWindow.h"

#include <QAction>
#include <QFile>
#include <QPushButton>

namespace tilora {

namespace {

const QString kModifiedText = QStringLiteral("マップデータは変更されています保存しますか？");
const QString kModifiedCaption = QStringLiteral("ちょっと待った！！");
const QString kCannotSave = QStringLiteral("保存できません");

// SaveDialog1 as the save-as command sets it before each use.
const QString kMapSaveExt = QStringLiteral("MAP");
const QString kMapSaveFilter = QStringLiteral("マップデータ(*.map)|*.map");
const QString kMapSaveTitle = QStringLiteral("マップデータの保存");

// OpenDialog1 as the load command sets it before each use (the sheet chooser shares it).
const QString kMapOpenExt = QStringLiteral("MAP");
const QString kMapOpenFilter = QStringLiteral("マップ(*.MAP)|*.MAP");
const QString kMapOpenTitle = QStringLiteral("使用するＭＡＰファイルの読み込み");

QString fromCore(const std::string& message) {
    return QString::fromStdString(message);
}

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The save and load tests: ".map" anywhere in the name, ASCII letter case ignored, so a name
// typed without an extension (the dialog appends "MAP") and a file named in capitals both pass.
bool hasMapMark(const QString& path) {
    return containsIgnoringAsciiCase(path, QLatin1String(".map"));
}

// Writes the map rectangle to path through a temporary file renamed over it, so a write that
// fails (no folder, no permission, disk full) leaves any old file as it was.
Status writeMapFile(const EditorState& state, const QString& path) {
    const MapContents contents = mapContentsFromState(state);
    if (Status valid = checkMapContents(contents); !valid) return valid;
    return saveFileAtomically(nativePath(path), formatMapFile(contents));
}

// A failed write: the system's reason and the file it was meant for.
void reportSaveFailure(Application& app, QWidget* owner, const Status& status,
                       const QString& path) {
    app.dialogs.messageBox(owner, fromCore(status.error().message) + QLatin1Char('\n') + path,
                           CautionCaption, MessageButtons::Ok);
}

} // namespace

bool TMainWindow::AskToSave(int mode) {
    if (app_.State.MapModified == 1) {
        const Answer answer = app_.dialogs.messageBox(this, kModifiedText, kModifiedCaption,
                                                      mode == 2 ? MessageButtons::YesNo
                                                                : MessageButtons::YesNoCancel);
        if (answer == Answer::Cancel && mode != 2) return true;
        // The user asked for the map to be kept: if it was not written, nothing may go on
        // that would drop it.
        if (answer == Answer::Yes && !SaveMap()) return true;
    }
    if (mode != 0) return false;

    // Back to the state without a map; the old map stays in memory until the new-map dialog
    // confirms.
    app_.MapWindow->hide();
    app_.MapChipWindow->hide();
    app_.StartUpWindow->Image1->hide();
    app_.StartUpWindow->showDialog();
    for (QAction* item : {NameSave, Save, CloseFile})
        item->setEnabled(false);
    NameSaveButton->setEnabled(false);
    OverWriteSaveButton->setEnabled(false);
    app_.StartUpWindow->Button1->setEnabled(false);
    for (QPushButton* b : {MapShowButton, ChipShowButton, ZoomInButton, ZoomOutButton})
        b->setEnabled(false);
    MapChipWindow1->setEnabled(false);
    MapWindow1->setEnabled(false);
    app_.StampWindow->hide();
    for (QPushButton* b : {PenButton1, PenButton2, PenButton3, PenButton4, StampButton, SEButton})
        b->setEnabled(false);
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
    const Status written = writeMapFile(app_.State, chosen);
    if (!written) {
        reportSaveFailure(app_, this, written, chosen);
        SaveDialog1.FileName = previous;
        return false;
    }
    OverWriteSaveButton->setEnabled(true);
    Save->setEnabled(true);
    app_.State.MapModified = 0;
    return true;
}

bool TMainWindow::SaveMap() {
    if (SaveDialog1.FileName.isEmpty()) return SaveMapAs();
    const Status written = writeMapFile(app_.State, SaveDialog1.FileName);
    if (!written) {
        reportSaveFailure(app_, this, written, SaveDialog1.FileName);
        return false;
    }
    app_.State.MapModified = 0;
    return true;
}

bool TMainWindow::LoadMap() {
    OpenDialog1.DefaultExt = kMapOpenExt;
    OpenDialog1.Filter = kMapOpenFilter;
    OpenDialog1.Title = kMapOpenTitle;
    if (!OpenDialog1.Execute(app_.dialogs, this)) return false;
    const QString chosen = OpenDialog1.FileName;
    if (!hasMapMark(chosen)) return false;

    // Asked before the file is read: a Yes may rewrite the very file being opened.
    if (AskToSave(2)) return false;

    // Everything a load needs is gathered and checked before the first change.
    Result<std::string> bytes = readWholeFile(nativePath(chosen));
    if (!bytes) {
        showError(app_, this, fromCore(bytes.error().message) + QLatin1Char('\n') + chosen);
        return false;
    }
    Result<MapContents> contents = parseMapFile(*bytes);
    if (!contents) {
        showError(app_, this, fromCore(contents.error().message) + QLatin1Char('\n') + chosen);
        return false;
    }
    const SheetSearchResult where = findSheet(contents->sheetPath, chosen);
    if (!where.found()) {
        showError(
            app_, this,
            QStringLiteral("マップデータのチップ画像が見つかりません\n%1").arg(where.lookedFor));
        return false;
    }
    const QString sheetPath = where.path;
    // The path found here is what the next save records; it must be one the format can hold.
    if (const auto problem = sheetPathProblem(sheetPath)) {
        app_.dialogs.messageBox(this, *problem + QLatin1Char('\n') + sheetPath, CautionCaption,
                                MessageButtons::Ok);
        return false;
    }
    Result<Bitmap> sheet = loadSheetImage(where.bytes);
    if (!sheet) {
        showError(app_, this, fromCore(sheet.error().message));
        return false;
    }
    if (const auto problem = sheetSizeProblem(*sheet)) {
        app_.dialogs.messageBox(this, *problem + QLatin1Char('\n') + sheetPath, CautionCaption,
                                MessageButtons::Ok);
        return false;
    }

    // Everything is checked: from here on nothing can fail.
    EditorState& s = app_.State;
    applyMapContents(*contents, s);
    s.SheetFileName = sheetPathBytes(sheetPath);
    app_.MapChipWindow->setSheet(std::move(*sheet));
    SaveDialog1.FileName = chosen;
    s.SheetScrollX = 0;
    s.SheetScrollY = 0;
    LayoutChipWindow(app_);
    RefreshMapView(app_);
    s.MapModified = 0;
    return true;
}

void TMainWindow::NewButtonClick() {
    AskToSave(0);
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
    if (AskToSave(1)) return;
    MapChipWindow1->setChecked(false);
    MapWindow1->setChecked(false);
    for (QAction* item : {MapChipWindow1, MapWindow1, NameSave, Save, CloseFile})
        item->setEnabled(false);
    NameSaveButton->setEnabled(false);
    OverWriteSaveButton->setEnabled(false);
}

void TMainWindow::ExitAppClick() {
    // Leaving by the menu asks like the close box does.
    if (FormCloseQuery()) exitProgram(0);
}

bool TMainWindow::FormCloseQuery() {
    return !AskToSave(2);
}

} // namespace tilora
