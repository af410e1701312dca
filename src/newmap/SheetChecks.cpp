#include "newmap/SheetChecks.h"

#include "core/MapFile.h"
#include "newmap/NewMapPort.h"
#include "platform/BmpLoader.h"
#include "platform/Dialogs.h"
#include "platform/SheetSearch.h"
#include "platform/UiText.h"

namespace tilora {

namespace {

const QString kSheetDefaultExt = QStringLiteral("BMP");
// The BMP entry first, so the dialog opens on it; PNG sheets beside it.
const UiText kSheetFilter{
    QT_TRANSLATE_NOOP("tilora", "ビットマップ(*.BMP)|*.BMP|PNG画像(*.PNG)|*.PNG")};
const UiText kSheetTitle{QT_TRANSLATE_NOOP("tilora", "使用するＢｉｔＭａｐファイルの読み込み")};
const UiText kRefusedName{QT_TRANSLATE_NOOP("tilora", "読み込めません")};

} // namespace

bool hasBitmapMark(const QString& name) {
    return containsIgnoringAsciiCase(name, QLatin1String(".BMP")) ||
           containsIgnoringAsciiCase(name, QLatin1String(".PNG"));
}

std::optional<QString> sheetPathProblem(const QString& path) {
    // The bytes the map keeps for the sheet (SheetFileName), under the map file's one rule.
    switch (sheetPathFault(sheetPathBytes(path))) {
    case SheetPathFault::Unstorable:
        return uiText(QT_TRANSLATE_NOOP(
            "tilora", "このビットマップはパスにカンマ（,）または改行を含むため使用できません\n"
                      "マップデータに保存すると読み込めなくなります"));
    case SheetPathFault::TooLong:
        return uiText(QT_TRANSLATE_NOOP("tilora",
                                        "このビットマップはパスが長すぎるため使用できません\n"
                                        "マップデータに保存すると読み込めなくなります"));
    case SheetPathFault::None:
        break;
    }
    return std::nullopt;
}

std::optional<QString> chooseSheetName(NewMapPort& app, QWidget* owner) {
    FileDialog& dialog = app.openDialog();
    const QString oldName = dialog.FileName;
    dialog.DefaultExt = kSheetDefaultExt;
    dialog.Filter = kSheetFilter;
    dialog.Title = kSheetTitle;
    if (!dialog.Execute(app.dialogs, owner)) return std::nullopt;
    const QString newName = dialog.FileName;

    if (!hasBitmapMark(newName)) {
        // Confirming the same refused name again (it was left in the dialog) says nothing more.
        if (newName != oldName) {
            app.dialogs.messageBox(owner, kRefusedName, CautionCaption, MessageButtons::Ok);
            dialog.FileName.clear();
        }
        return std::nullopt;
    }
    if (const auto problem = sheetPathProblem(newName)) {
        app.dialogs.messageBox(owner, *problem, CautionCaption, MessageButtons::Ok);
        return std::nullopt;
    }
    return newName;
}

std::optional<ChosenSheet> chooseSheetFile(NewMapPort& app, QWidget* owner) {
    std::optional<QString> name = chooseSheetName(app, owner);
    if (!name) return std::nullopt;
    // The loader applies the one sheet rule: a sheet without a whole chip is refused with it.
    Result<Bitmap> loaded = loadBmp(*name);
    if (!loaded) {
        showError(app.dialogs, owner, QString::fromStdString(loaded.error().message));
        return std::nullopt;
    }
    return ChosenSheet{*name, std::move(*loaded)};
}

} // namespace tilora
