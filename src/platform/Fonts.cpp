#include "platform/Fonts.h"

namespace tilora {

void registerFontSubstitutions() {
    const QString pgothic = QStringLiteral("IPAPGothic");
    const QString gothic = QStringLiteral("IPAGothic");
    QFont::insertSubstitution(PGothic, pgothic);
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), pgothic);
    QFont::insertSubstitution(QStringLiteral("MS UI Gothic"), pgothic);
    QFont::insertSubstitution(Gothic, gothic);
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), gothic);
}

QFont layoutFont(const QString& family, int pixelHeight, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

} // namespace tilora
