#include "platform/SheetSearch.h"

#include <QFile>

namespace tilora {

SheetSearchResult findSheet(const std::string& written, const std::string& mapFilePathBytes) {
    const SheetLocation where = locateSheet(written, mapFilePathBytes);
    SheetSearchResult r;
    r.lookedFor = QString::fromStdString(where.lookedFor);
    r.bytes = where.path;
    r.path = QFile::decodeName(QByteArray::fromStdString(where.path));
    return r;
}

SheetSearchResult findSheet(const std::string& written, const QString& mapFilePath) {
    return findSheet(written, QFile::encodeName(mapFilePath).toStdString());
}

std::optional<QString> decodeSheetPath(const std::string& bytes) {
    if (auto text = decodeSheetPathText(bytes)) return QString::fromStdString(*text);
    return std::nullopt;
}

std::string sheetPathBytes(const QString& path) {
    return path.toUtf8().toStdString();
}

} // namespace tilora
