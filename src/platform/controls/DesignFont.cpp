#include "platform/controls/DesignFont.h"

#include <QStringList>

namespace {

// The old desktop faces are narrow; these stand-ins keep their proportions closely enough
// that design-sized labels do not clip. Fontconfig's sans-serif comes after them.
const QStringList kStandIns = {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                               QStringLiteral("Arial")};

} // namespace

QFont DesignFont(const QString &family, qreal points, bool bold)
{
    QFont font;
    font.setFamilies(QStringList{family} + kStandIns);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
