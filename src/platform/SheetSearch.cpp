#include "platform/SheetSearch.h"

#include <QFileInfo>

namespace tilora {

SheetSearchResult findSheet(const std::string& written, const QString&) {
    SheetSearchResult r;
    r.lookedFor = QString::fromStdString(written);
    if (QFileInfo(r.lookedFor).isFile()) r.path = r.lookedFor;
    return r;
}

std::string sheetPathBytes(const QString& path) { return path.toStdString(); }

}  // namespace tilora
