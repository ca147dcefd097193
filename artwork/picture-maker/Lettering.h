#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QString>

class QPainter;

// A font of the installed DejaVu families, sized in pixels so pictures do not depend on the
// screen's resolution.
QFont pictureFont(const QString &family, int pixelSize, QFont::Weight weight, bool italic = false);

// Text as an outline path whose bounding box is placed against `anchor` according to
// `alignment` (for example Qt::AlignCenter puts the text's centre on the anchor).
QPainterPath textPath(const QString &text, const QFont &font, QPointF anchor, Qt::Alignment alignment);

// Fills text drawn as a path, with an optional outline (width 0: none) and a soft drop shadow
// (transparent colour: none).
struct LetteringStyle
{
    QBrush fill{};
    QColor outline{};
    qreal outlineWidth = 0;
    QColor shadow = Qt::transparent;
    QPointF shadowOffset{2, 2};
};
void paintLettering(QPainter &painter, const QPainterPath &text, const LetteringStyle &style);
