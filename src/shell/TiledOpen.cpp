#include "shell/TiledOpen.h"

#include "core/FileIO.h"
#include "platform/BmpLoader.h"
#include "platform/Dialogs.h"
#include "platform/UiText.h"
#include "tiled/TiledOpen.h"

#include <QBuffer>
#include <QFile>

namespace tilora {

bool hasTiledMark(const QString& name) {
    return containsIgnoringAsciiCase(name, QLatin1String(".tmx")) ||
           containsIgnoringAsciiCase(name, QLatin1String(".tmj"));
}

bool opensAsTiledMap(const QString& name) {
    if (!hasTiledMark(name)) return false;
    // Enough for a gzip header, or a byte-order mark and the blanks before the first character.
    constexpr std::size_t HeadBytes = 512;
    const Result<FileBytes> head = readFileHead(QFile::encodeName(name).toStdString(), HeadBytes);
    return head && tiled::looksLikeTiledDocument(*head);
}

Result<std::string> encodeSheetPng(const Bitmap& picture) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !imageFromBitmap(picture).save(&buffer, "PNG"))
        return Error{
            uiText(QT_TRANSLATE_NOOP("tilora", "チップ画像をPNGにできません")).toStdString()};
    return png.toStdString();
}

Status writeSheetPng(const std::string& file, const Bitmap& picture) {
    Result<std::string> png = encodeSheetPng(picture);
    if (!png) return png.error();
    return saveFileAtomically(file, *png, SpecialTargets::Refuse);
}

} // namespace tilora
