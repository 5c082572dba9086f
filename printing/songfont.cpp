#include "printing/songfont.h"

namespace printing {

void substituteSongFace() {
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
        return true;
    }();
    Q_UNUSED(substituted);
}

QFont songFont(double pointSize, bool bold) {
    substituteSongFace();
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace printing
