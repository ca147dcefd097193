#include "Lettering.h"

#include <QPainter>

QFont pictureFont(const QString &family, int pixelSize, QFont::Weight weight, bool italic)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPainterPath textPath(const QString &text, const QFont &font, QPointF anchor, Qt::Alignment alignment)
{
    QPainterPath path;
    path.addText(QPointF(0, 0), font, text);
    const QRectF box = path.boundingRect();

    qreal dx = anchor.x() - box.left();
    if (alignment & Qt::AlignHCenter)
        dx = anchor.x() - box.center().x();
    else if (alignment & Qt::AlignRight)
        dx = anchor.x() - box.right();
    qreal dy = anchor.y() - box.top();
    if (alignment & Qt::AlignVCenter)
        dy = anchor.y() - box.center().y();
    else if (alignment & Qt::AlignBottom)
        dy = anchor.y() - box.bottom();
    return path.translated(dx, dy);
}

void paintLettering(QPainter &painter, const QPainterPath &text, const LetteringStyle &style)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (style.shadow.alpha() > 0) {
        // Three stacked, slightly spread copies make a soft edge without a blur filter.
        QColor layer = style.shadow;
        layer.setAlpha(style.shadow.alpha() / 3);
        for (const qreal spread : {0.0, 1.0, 2.0}) {
            painter.strokePath(text.translated(style.shadowOffset), QPen(layer, spread * 2 + 0.5));
            painter.fillPath(text.translated(style.shadowOffset), layer);
        }
    }
    if (style.outlineWidth > 0) {
        QPen pen(style.outline, style.outlineWidth * 2);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(text, pen);
    }
    painter.fillPath(text, style.fill);
    painter.restore();
}
