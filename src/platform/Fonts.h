#pragma once
// Font set-up: the layouts name two Japanese UI gothic fonts; map them to the IPA fonts.

#include <QFont>
#include <QString>

namespace tilora {

inline const QString PGothic = QStringLiteral("ＭＳ Ｐゴシック"); // a font's name, not translated
inline const QString Gothic = QStringLiteral("ＭＳ ゴシック");    // a font's name, not translated

// Registers the substitutions "ＭＳ Ｐゴシック"/"MS PGothic" -> IPAPGothic and
// "ＭＳ ゴシック"/"MS Gothic" -> IPAGothic. Call once after the QApplication exists.
void registerFontSubstitutions();

// A font by layout name and pixel height.
QFont layoutFont(const QString& family, int pixelHeight, bool bold = false);

} // namespace tilora
