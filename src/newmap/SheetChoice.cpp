#include "newmap/SheetChoice.h"

#include "core/EditorState.h"
#include "platform/Dialogs.h"

namespace tilora {

bool hasBitmapMark(const QString& name) {
    return containsIgnoringAsciiCase(name, QLatin1String(".BMP")) ||
           containsIgnoringAsciiCase(name, QLatin1String(".PNG"));
}

std::optional<QString> sheetPathProblem(const QString& path) {
    if (path.contains(QLatin1Char(',')) || path.contains(QLatin1Char('\r')) ||
        path.contains(QLatin1Char('\n'))) {
        return QStringLiteral(
            "このビットマップはパスにカンマ（,）または改行を含むため使用できません\n"
            "マップデータに保存すると読み込めなくなります");
    }
    return std::nullopt;
}

std::optional<QString> sheetSizeProblem(const Bitmap& sheet) {
    if (sheet.width() < ChipPixels) {
        return QStringLiteral("横幅が３２ドット未満のビットマップは使用できません\n"
                              "（このビットマップの横幅は%1ドットです）")
            .arg(sheet.width());
    }
    return std::nullopt;
}

} // namespace tilora
