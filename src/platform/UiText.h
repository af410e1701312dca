#pragma once
// A text of the windows kept in a constant: Japanese as laid out, marked with
// QT_TRANSLATE_NOOP("tilora", ...) so that the catalogs (translations/tilora_LANG.ts) hold it, and
// translated each time it is read. A constant is made before the catalogs are loaded, so it keeps
// the source text and gives the user's language only when used.
//
//   const UiText kCaption{QT_TRANSLATE_NOOP("tilora", "注意")};
//   box(kCaption);                       // converts where a QString is wanted
//   QString(kText).arg(path);            // or explicitly, to format it
//
// A table of `const char*` marks its texts the same way and reads them with uiText().

#include <QCoreApplication>
#include <QString>

namespace tilora {

// The text `source` (marked with QT_TRANSLATE_NOOP("tilora", ...)) in the user's language; nullptr
// gives an empty text, and a text without an entry (a number, an arrow) stays as it is.
inline QString uiText(const char* source) {
    return source ? QCoreApplication::translate("tilora", source) : QString();
}

struct UiText {
    const char* source;

    operator QString() const { return uiText(source); } // NOLINT(google-explicit-constructor)
};

} // namespace tilora
