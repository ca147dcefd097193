#include "Road.h"

#include "ColourMixing.h"
#include "Scatter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

void paintRoad(QPainter &painter, const QRectF &band, const QColor &asphalt, const QColor &marking)
{
    QLinearGradient surface(band.topLeft(), band.bottomLeft());
    surface.setColorAt(0.0, blend(asphalt, Qt::white, 0.1));
    surface.setColorAt(1.0, blend(asphalt, Qt::black, 0.35));
    painter.fillRect(band, surface);
    painter.fillRect(QRectF(band.left(), band.top(), band.width(), 3), blend(asphalt, Qt::white, 0.45));

    // Perspective: markings further away look thinner.
    const qreal farLine = band.top() + band.height() * 0.18;
    for (qreal x = band.left() + 20; x < band.right(); x += 110)
        painter.fillRect(QRectF(x, farLine, 62, 3), marking);
    painter.fillRect(QRectF(band.left(), band.top() + band.height() * 0.86, band.width(), 5), withAlpha(marking, 200));
}

void paintWetSheen(QPainter &painter, const QRectF &band, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int streak = 0; streak < 120; ++streak) {
        const qreal y = scatter.uniform(band.top(), band.bottom());
        const qreal x = scatter.uniform(band.left(), band.right());
        const qreal length = scatter.uniform(20, 120);
        painter.setPen(QPen(QColor(200, 210, 230, static_cast<int>(scatter.uniform(15, 45))), scatter.uniform(1, 3)));
        painter.drawLine(QPointF(x, y), QPointF(x + length, y));
    }
    painter.restore();
}

void paintKerb(QPainter &painter, const QRectF &strip, qreal blockWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(strip);
    int block = 0;
    for (qreal x = strip.left() - blockWidth; x < strip.right() + blockWidth; x += blockWidth, ++block) {
        QPainterPath slant;
        slant.moveTo(x + strip.height() * 0.6, strip.top());
        slant.lineTo(x + blockWidth + strip.height() * 0.6, strip.top());
        slant.lineTo(x + blockWidth, strip.bottom());
        slant.lineTo(x, strip.bottom());
        slant.closeSubpath();
        painter.fillPath(slant, block % 2 == 0 ? QColor(206, 30, 30) : QColor(240, 240, 236));
    }
    painter.fillRect(QRectF(strip.left(), strip.bottom() - 3, strip.width(), 3), QColor(0, 0, 0, 60));
    painter.restore();
}

void paintGuardRail(QPainter &painter, qreal left, qreal right, qreal groundY, qreal height)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (qreal x = left + 10; x < right; x += 70)
        painter.fillRect(QRectF(x, groundY - height, 6, height), QColor(90, 92, 96));
    const QRectF rail(left, groundY - height * 0.95, right - left, height * 0.4);
    QLinearGradient metal(rail.topLeft(), rail.bottomLeft());
    metal.setColorAt(0.0, QColor(236, 238, 240));
    metal.setColorAt(0.5, QColor(150, 154, 160));
    metal.setColorAt(1.0, QColor(200, 204, 208));
    painter.fillRect(rail, metal);
    painter.restore();
}

void paintStreetLamp(QPainter &painter, QPointF base, qreal height, bool lit)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF head = base + QPointF(height * 0.22, -height);
    if (lit) {
        QRadialGradient glow(head, height * 0.6);
        glow.setColorAt(0.0, QColor(255, 220, 150, 150));
        glow.setColorAt(1.0, QColor(255, 220, 150, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(head, height * 0.6, height * 0.6);
    }
    QPainterPath pole;
    pole.moveTo(base);
    pole.lineTo(base + QPointF(0, -height * 0.92));
    pole.quadTo(base + QPointF(0, -height), head - QPointF(height * 0.08, 0));
    painter.strokePath(pole, QPen(QColor(40, 42, 48), height * 0.025, Qt::SolidLine, Qt::FlatCap));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 42, 48));
    painter.drawRoundedRect(QRectF(head.x() - height * 0.08, head.y() - height * 0.015, height * 0.16, height * 0.04),
                            3, 3);
    painter.setBrush(lit ? QColor(255, 244, 200) : QColor(180, 180, 170));
    painter.drawEllipse(QRectF(head.x() - height * 0.06, head.y() + height * 0.015, height * 0.12, height * 0.025));
    painter.restore();
}
