#include "platform/SheetSearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace tilora {

namespace {

// Code page 932 through the C library's converter: its table is Microsoft's own, byte for byte
// (0x5C is the backslash, also as the second byte of a double-byte character such as "表").
std::optional<QString> decodeCp932WithIconv(const std::string& bytes) {
    iconv_t cd = ::iconv_open("UTF-8", "CP932");
    if (cd == iconv_t(-1)) return std::nullopt;
    std::vector<char> out(bytes.size() * 3 + 4);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* op = out.data();
    std::size_t outLeft = out.size();
    const std::size_t r = ::iconv(cd, &in, &inLeft, &op, &outLeft);
    ::iconv_close(cd);
    if (r == std::size_t(-1) || inLeft != 0) return std::nullopt;
    return QString::fromUtf8(out.data(), qsizetype(op - out.data()));
}

std::optional<QString> decodeCp932(const std::string& bytes) {
    static const bool haveIconv = [] {
        iconv_t cd = ::iconv_open("UTF-8", "CP932");
        if (cd == iconv_t(-1)) return false;
        ::iconv_close(cd);
        return true;
    }();
    if (haveIconv) return decodeCp932WithIconv(bytes);
    // Qt's decoder (ICU's ibm-943) agrees with code page 932 on every printable character.
    QStringDecoder decoder("Shift_JIS", QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) return std::nullopt;
    const QString text = decoder(QByteArray::fromStdString(bytes));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

bool isFile(const QString& path) {
    return QFileInfo(path).isFile();
}

// "C:\..." or "\\server\..." or "\..." name a place on a Windows machine, never a path relative
// to the map file.
bool isRootedElsewhere(const QString& path) {
    if (path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].unicode() < 128 &&
        path[0].isLetter())
        return true;
    return path.startsWith(QLatin1Char('\\'));
}

QString lastComponent(const QString& path) {
    const QStringList parts =
        path.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    if (parts.isEmpty()) return {};
    const QString last = parts.constLast();
    if (last == QLatin1String(".") || last == QLatin1String("..")) return {};
    return last;
}

// The file in dir whose name equals name, letter case ignored; an exact match wins.
QString findInFolder(const QDir& dir, const QString& name) {
    if (name.isEmpty()) return {};
    const QStringList entries =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    QString found;
    for (const QString& entry : entries) {
        if (entry == name) return dir.filePath(entry);
        if (found.isEmpty() && entry.compare(name, Qt::CaseInsensitive) == 0)
            found = dir.filePath(entry);
    }
    return found;
}

} // namespace

std::optional<QString> decodeSheetPath(const std::string& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(QByteArray::fromStdString(bytes));
    if (!utf8.hasError()) return text;
    return decodeCp932(bytes);
}

SheetSearchResult findSheet(const std::string& written, const QString& mapFilePath) {
    SheetSearchResult r;
    const std::optional<QString> text = decodeSheetPath(written);
    r.lookedFor = text ? *text : QString::fromUtf8(written.data(), qsizetype(written.size()));
    if (!text || text->isEmpty()) return r;

    const auto found = [&r](const QString& path) {
        r.path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        return r;
    };

    // 1 and 2: the path itself, when it is a path of this system.
    if (QDir::isAbsolutePath(*text) && !isRootedElsewhere(*text) && isFile(*text))
        return found(*text);

    const QDir mapDir = QFileInfo(mapFilePath).absoluteDir();

    // 3: relative to the map file, with Windows separators read as separators.
    if (!QDir::isAbsolutePath(*text) && !isRootedElsewhere(*text)) {
        QString relative = *text;
        relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString candidate = mapDir.filePath(relative);
        if (isFile(candidate)) return found(candidate);
    }

    // 4: the sheet lying beside the map under its own name.
    const QString beside = findInFolder(mapDir, lastComponent(*text));
    if (!beside.isEmpty()) return found(beside);
    return r;
}

std::string sheetPathBytes(const QString& path) {
    return path.toUtf8().toStdString();
}

} // namespace tilora
