#include "Sky.h"

#include "ColourMixing.h"
#include "Scatter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <utility>
#include <vector>

void paintSky(QPainter &painter, const QRectF &area, TimeOfDay time)
{
    std::vector<std::pair<qreal, QColor>> stops;
    switch (time) {
    case TimeOfDay::Day:
        stops = {{0.0, QColor(38, 96, 186)}, {0.6, QColor(104, 164, 226)}, {1.0, QColor(206, 226, 242)}};
        break;
    case TimeOfDay::Dusk:
        stops = {{0.0, QColor(34, 32, 84)},
                 {0.4, QColor(140, 62, 112)},
                 {0.78, QColor(242, 128, 62)},
                 {1.0, QColor(255, 206, 118)}};
        break;
    case TimeOfDay::Night:
        stops = {{0.0, QColor(4, 6, 22)}, {0.7, QColor(18, 28, 66)}, {1.0, QColor(44, 52, 96)}};
        break;
    case TimeOfDay::Dawn:
        stops = {{0.0, QColor(58, 80, 148)},
                 {0.5, QColor(196, 150, 186)},
                 {0.85, QColor(255, 192, 168)},
                 {1.0, QColor(255, 228, 192)}};
        break;
    case TimeOfDay::Overcast:
        stops = {{0.0, QColor(96, 102, 112)}, {1.0, QColor(176, 182, 188)}};
        break;
    case TimeOfDay::NeonEvening:
        stops = {{0.0, QColor(16, 2, 36)},
                 {0.5, QColor(96, 18, 108)},
                 {0.82, QColor(236, 56, 128)},
                 {1.0, QColor(255, 168, 70)}};
        break;
    }
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    for (const auto &[at, colour] : stops)
        sky.setColorAt(at, colour);
    painter.fillRect(area, sky);
}

void paintSun(QPainter &painter, QPointF centre, qreal radius, const QColor &colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QRadialGradient glow(centre, radius * 6);
    glow.setColorAt(0.0, withAlpha(colour, 170));
    glow.setColorAt(0.2, withAlpha(colour, 70));
    glow.setColorAt(1.0, withAlpha(colour, 0));
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius * 6, radius * 6);
    QRadialGradient disc(centre, radius);
    disc.setColorAt(0.0, blend(colour, Qt::white, 0.8));
    disc.setColorAt(1.0, blend(colour, Qt::white, 0.3));
    painter.setBrush(disc);
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

void paintStripedSun(QPainter &painter, QPointF centre, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath sun;
    sun.addEllipse(centre, radius, radius);
    // Gaps in the lower half, widening towards the horizon.
    qreal y = centre.y() - radius * 0.05;
    for (int gap = 0; gap < 7; ++gap) {
        const qreal height = 3.0 + gap * 2.2;
        QPainterPath slot;
        slot.addRect(QRectF(centre.x() - radius, y, radius * 2, height));
        sun = sun.subtracted(slot);
        y += height + radius * 0.1;
    }
    QLinearGradient colour(centre - QPointF(0, radius), centre + QPointF(0, radius));
    colour.setColorAt(0.0, QColor(255, 236, 110));
    colour.setColorAt(0.55, QColor(255, 130, 80));
    colour.setColorAt(1.0, QColor(236, 40, 140));
    QRadialGradient glow(centre, radius * 1.8);
    glow.setColorAt(0.5, QColor(255, 90, 150, 90));
    glow.setColorAt(1.0, QColor(255, 90, 150, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius * 1.8, radius * 1.8);
    painter.fillPath(sun, colour);
    painter.restore();
}

void paintMoon(QPainter &painter, QPointF centre, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QRadialGradient glow(centre, radius * 4);
    glow.setColorAt(0.0, QColor(200, 210, 255, 90));
    glow.setColorAt(1.0, QColor(200, 210, 255, 0));
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius * 4, radius * 4);
    painter.setBrush(QColor(240, 240, 226));
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(QColor(206, 206, 192));
    painter.drawEllipse(centre + QPointF(-radius * 0.3, -radius * 0.2), radius * 0.22, radius * 0.18);
    painter.drawEllipse(centre + QPointF(radius * 0.25, radius * 0.3), radius * 0.16, radius * 0.14);
    painter.drawEllipse(centre + QPointF(radius * 0.35, -radius * 0.35), radius * 0.1, radius * 0.1);
    painter.restore();
}

void paintStars(QPainter &painter, const QRectF &area, int count, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int star = 0; star < count; ++star) {
        const QPointF at(scatter.uniform(area.left(), area.right()), scatter.uniform(area.top(), area.bottom()));
        const qreal size = scatter.uniform(0.5, 1.6);
        painter.setBrush(QColor(255, 255, 240, static_cast<int>(scatter.uniform(90, 255))));
        painter.drawEllipse(at, size, size);
    }
    painter.restore();
}

void paintClouds(QPainter &painter, const QRectF &area, int count, const QColor &light, const QColor &shade,
                 std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int cloud = 0; cloud < count; ++cloud) {
        const QPointF centre(scatter.uniform(area.left(), area.right()), scatter.uniform(area.top(), area.bottom()));
        const qreal width = scatter.uniform(110, 260);
        QPainterPath puffs;
        for (int puff = 0; puff < 7; ++puff) {
            const QPointF at = centre
                + QPointF(scatter.uniform(-width * 0.38, width * 0.38), scatter.uniform(-width * 0.1, width * 0.02));
            const qreal r = scatter.uniform(width * 0.12, width * 0.22);
            puffs.addEllipse(at, r, r * 0.8);
        }
        QPainterPath flatBase;
        flatBase.addRect(QRectF(centre.x() - width, centre.y() - width, width * 2, width * 1.07));
        puffs.setFillRule(Qt::WindingFill); // overlapping puffs merge instead of cancelling
        puffs = puffs.simplified().intersected(flatBase);
        const QRectF box = puffs.boundingRect();
        QLinearGradient tone(box.topLeft(), box.bottomLeft());
        tone.setColorAt(0.0, light);
        tone.setColorAt(1.0, shade);
        painter.fillPath(puffs, tone);
    }
    painter.restore();
}

void paintRain(QPainter &painter, const QRectF &area, int count, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int drop = 0; drop < count; ++drop) {
        const QPointF start(scatter.uniform(area.left(), area.right()), scatter.uniform(area.top(), area.bottom()));
        const qreal length = scatter.uniform(14, 34);
        painter.setPen(QPen(QColor(220, 228, 240, static_cast<int>(scatter.uniform(40, 110))), 1.0));
        painter.drawLine(start, start + QPointF(-length * 0.25, length));
    }
    painter.restore();
}
