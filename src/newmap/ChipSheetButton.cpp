// The new-map dialog's chip sheet button (Button2 "参照"): the sheet file chosen, checked, loaded
// and laid out in the palette.

#include "newmap/LayoutChipWindow.h"
#include "newmap/SheetChecks.h"
#include "newmap/TStartUpWindow.h"

#include "platform/BmpLoader.h"
#include "platform/EditorContext.h"
#include "platform/PictureWidget.h"

#include <QPushButton>

namespace tilora {

namespace {

const QString kSheetDefaultExt = QStringLiteral("BMP");
// The BMP entry first, so the dialog opens on it; PNG sheets beside it.
const QString kSheetFilter = QStringLiteral("ビットマップ(*.BMP)|*.BMP|PNG画像(*.PNG)|*.PNG");
const QString kSheetTitle = QStringLiteral("使用するＢｉｔＭａｐファイルの読み込み");
const QString kRefusedName = QStringLiteral("読み込めません");

} // namespace

void TStartUpWindow::Button2Click() {
    FileDialog& dialog = app_.openDialog();
    const QString oldName = dialog.FileName;
    dialog.DefaultExt = kSheetDefaultExt;
    dialog.Filter = kSheetFilter;
    dialog.Title = kSheetTitle;
    if (!dialog.Execute(app_.dialogs, this)) return;
    const QString newName = dialog.FileName;

    if (!hasBitmapMark(newName)) {
        // Confirming the same refused name again (it was left in the dialog) says nothing more.
        if (newName != oldName) {
            app_.dialogs.messageBox(this, kRefusedName, CautionCaption, MessageButtons::Ok);
            dialog.FileName.clear();
        }
        return;
    }

    // Every check and the load come before the first change, so a sheet that cannot be used
    // leaves the current one, the palette, the preview and Button1 exactly as they were.
    if (const auto problem = sheetPathProblem(newName)) {
        app_.dialogs.messageBox(this, *problem, CautionCaption, MessageButtons::Ok);
        return;
    }
    Result<Bitmap> loaded = loadBmp(newName);
    if (!loaded) {
        showError(app_, this, QString::fromStdString(loaded.error().message));
        return;
    }
    if (const auto problem = sheetSizeProblem(*loaded)) {
        app_.dialogs.messageBox(this, *problem, CautionCaption, MessageButtons::Ok);
        return;
    }

    EditorState& s = app_.State;
    s.SheetScrollY = 0;
    s.SheetScrollX = 0;
    app_.setChipWindowShown(false);
    // Only tried: the palette shows it for choosing the initial chip, but the map names it only
    // once "決定" is pressed; abandoning the dialog puts the sheet in use back.
    app_.trySheet(std::move(*loaded), newName);
    LayoutChipWindow(app_);

    // The preview shows chip 0, the sheet's top-left square.
    const Rect chip0{0, 0, ChipPixels, ChipPixels};
    stretchBlt(Image1->bitmap(), chip0, app_.sheet(), chip0);
    Image1->refresh();
    Image1->show();

    Button1->setEnabled(true);
    app_.resetChipFrame();
    app_.chooseChip(0);
    app_.setCommandsEnabled(Command::ChipWindow, true);
    app_.setChipWindowShown(true);
}

} // namespace tilora
