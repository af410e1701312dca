// The chip sheet chooser of the new-map dialog (Button2 "参照").

#include "newmap/SheetChoice.h"
#include "newmap/TStartUpWindow.h"

#include "palette/TMapChipWindow.h"
#include "platform/BmpLoader.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "platform/SheetSearch.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"

#include <QAction>
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
    FileDialog& dialog = app_.MainWindow->OpenDialog1;
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
    TMapChipWindow& palette = *app_.MapChipWindow;
    s.SheetFileName = sheetPathBytes(newName);
    palette.Shape1->move(0, 0);
    s.SheetScrollY = 0;
    s.SheetScrollX = 0;
    palette.hide();
    palette.setSheet(std::move(*loaded));
    LayoutChipWindow(app_);

    // The preview shows chip 0, the sheet's top-left square.
    const Rect chip0{0, 0, ChipPixels, ChipPixels};
    stretchBlt(Image1->bitmap(), chip0, palette.sheet(), chip0);
    Image1->refresh();
    Image1->show();

    Button1->setEnabled(true);
    palette.Shape1->show();
    s.CurrentChip = 0;
    TMainWindow& main = *app_.MainWindow;
    main.MapChipWindow1->setEnabled(true);
    main.MapChipWindow1->setChecked(true);
    main.ChipShowButton->setEnabled(true);
}

} // namespace tilora
