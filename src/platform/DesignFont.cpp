#include "DesignFont.h"

QFont DesignFont(const QString &family, qreal points, bool bold)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
