#include "Landscape.h"

#include "ColourMixing.h"
#include "Scatter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cmath>
#include <vector>

void paintGround(QPainter &painter, const QRectF &area, const QColor &top, const QColor &bottom)
{
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0.0, top);
    gradient.setColorAt(1.0, bottom);
    painter.fillRect(area, gradient);
}

void paintHills(QPainter &painter, const QRectF &area, qreal ridgeY, qreal amplitude, const QColor &colour,
                std::uint32_t seed)
{
    Scatter scatter(seed);
    const qreal phase1 = scatter.uniform(0, 2 * M_PI);
    const qreal phase2 = scatter.uniform(0, 2 * M_PI);
    const qreal phase3 = scatter.uniform(0, 2 * M_PI);
    const qreal wave = 2 * M_PI / area.width();

    QPainterPath hills;
    hills.moveTo(area.bottomLeft());
    for (qreal x = area.left(); x <= area.right() + 4; x += 4) {
        const qreal u = (x - area.left()) * wave;
        const qreal rise =
            0.5 * std::sin(1.3 * u + phase1) + 0.3 * std::sin(3.1 * u + phase2) + 0.12 * std::sin(7.3 * u + phase3);
        hills.lineTo(x, ridgeY - amplitude * rise);
    }
    hills.lineTo(area.bottomRight() + QPointF(4, 0));
    hills.closeSubpath();

    QLinearGradient shade(0, ridgeY - amplitude, 0, area.bottom());
    shade.setColorAt(0.0, blend(colour, Qt::white, 0.12));
    shade.setColorAt(1.0, blend(colour, Qt::black, 0.35));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(hills, shade);
    painter.restore();
}

void paintMountains(QPainter &painter, const QRectF &area, qreal baseY, qreal height, const QColor &rock,
                    const QColor &snow, std::uint32_t seed)
{
    Scatter scatter(seed);
    // The range starts and ends at its foot, so a range narrower than the picture has no cut edge.
    std::vector<QPointF> ridge{QPointF(area.left() - 80, baseY)};
    bool peak = true;
    for (qreal x = area.left() - 80 + scatter.uniform(70, 170); x < area.right() + 160; x += scatter.uniform(70, 170)) {
        const qreal rise = peak ? scatter.uniform(0.7, 1.0) : scatter.uniform(0.15, 0.45);
        ridge.emplace_back(x, baseY - height * rise);
        peak = !peak;
    }

    QPainterPath range;
    range.moveTo(area.left() - 80, area.bottom());
    for (const QPointF &point : ridge)
        range.lineTo(point);
    range.lineTo(ridge.back().x() + 80, baseY);
    range.lineTo(ridge.back().x() + 80, area.bottom());
    range.closeSubpath();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, baseY - height, 0, baseY);
    shade.setColorAt(0.0, blend(rock, Qt::white, 0.15));
    shade.setColorAt(1.0, blend(rock, Qt::black, 0.2));
    painter.fillPath(range, shade);
    painter.setClipPath(range);

    if (snow.isValid()) {
        QPainterPath cap;
        cap.moveTo(area.left() - 80, baseY - height * 2);
        for (qreal x = area.left() - 80; x < area.right() + 160; x += 24)
            cap.lineTo(x, baseY - height * scatter.uniform(0.56, 0.66));
        cap.lineTo(area.right() + 160, baseY - height * 2);
        cap.closeSubpath();
        painter.fillPath(cap, snow);
    }
    // The faces turned away from the light.
    for (std::size_t i = 1; i + 1 < ridge.size(); ++i) {
        if (ridge[i].y() < ridge[i - 1].y() && ridge[i].y() < ridge[i + 1].y()) {
            QPainterPath face;
            face.moveTo(ridge[i]);
            face.lineTo(ridge[i + 1]);
            face.lineTo(ridge[i + 1].x(), area.bottom());
            face.lineTo(ridge[i].x() + (ridge[i + 1].x() - ridge[i].x()) * 0.2, area.bottom());
            face.closeSubpath();
            painter.fillPath(face, QColor(0, 0, 30, 46));
        }
    }
    painter.restore();
}

void paintMesas(QPainter &painter, const QRectF &area, qreal baseY, const QColor &rock, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    qreal x = area.left() + scatter.uniform(-60, 40);
    while (x < area.right()) {
        const qreal width = scatter.uniform(120, 280);
        const qreal height = scatter.uniform(50, area.height() * 0.8);
        const qreal slope = scatter.uniform(18, 40);
        QPainterPath mesa;
        mesa.moveTo(x, baseY);
        mesa.lineTo(x + slope, baseY - height * 0.55);
        mesa.lineTo(x + slope * 1.4, baseY - height);
        mesa.lineTo(x + width - slope * 1.4, baseY - height);
        mesa.lineTo(x + width - slope, baseY - height * 0.6);
        mesa.lineTo(x + width, baseY);
        mesa.closeSubpath();
        const QColor tone = blend(rock, Qt::black, scatter.uniform(0.0, 0.25));
        QLinearGradient shade(0, baseY - height, 0, baseY);
        shade.setColorAt(0.0, blend(tone, Qt::white, 0.1));
        shade.setColorAt(1.0, blend(tone, Qt::black, 0.3));
        painter.fillPath(mesa, shade);
        // Rock strata.
        painter.save();
        painter.setClipPath(mesa);
        painter.setPen(QPen(withAlpha(blend(tone, Qt::black, 0.4), 90), 2));
        for (qreal y = baseY - height + 10; y < baseY; y += scatter.uniform(8, 16))
            painter.drawLine(QPointF(x, y), QPointF(x + width, y + scatter.uniform(-2, 2)));
        painter.restore();
        x += width + scatter.uniform(20, 160);
    }
    painter.restore();
}

void paintWater(QPainter &painter, const QRectF &area, const QColor &horizon, const QColor &deep, qreal glintX,
                const QColor &glint, std::uint32_t seed)
{
    Scatter scatter(seed);
    paintGround(painter, area, horizon, deep);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    for (int wave = 0; wave < 160; ++wave) {
        const qreal depth = scatter.uniform(0.0, 1.0);
        const qreal y = area.top() + area.height() * depth * depth;
        const qreal x = scatter.uniform(area.left(), area.right());
        const qreal length = 6 + 40 * depth;
        painter.setPen(QPen(QColor(255, 255, 255, 24), 1 + depth));
        painter.drawLine(QPointF(x, y), QPointF(x + length, y));
    }
    if (glintX >= 0) {
        for (int sparkle = 0; sparkle < 90; ++sparkle) {
            const qreal depth = scatter.uniform(0.0, 1.0);
            const qreal y = area.top() + area.height() * depth;
            const qreal spread = 16 + 90 * depth;
            const qreal x = glintX + scatter.uniform(-spread, spread);
            const qreal length = 8 + 36 * depth * scatter.uniform(0.3, 1.0);
            painter.setPen(QPen(withAlpha(glint, static_cast<int>(scatter.uniform(90, 220))), 1.5 + depth * 2));
            painter.drawLine(QPointF(x - length / 2, y), QPointF(x + length / 2, y));
        }
    }
    painter.restore();
}

void paintCity(QPainter &painter, const QRectF &area, qreal baseY, const QColor &wall, const QColor &lights,
               qreal litShare, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.save();
    painter.setPen(Qt::NoPen);
    qreal x = area.left() - scatter.uniform(0, 30);
    while (x < area.right()) {
        const qreal width = scatter.uniform(34, 96);
        const qreal height = scatter.uniform(40, baseY - area.top());
        const QRectF building(x, baseY - height, width, height);
        painter.setBrush(blend(wall, Qt::black, scatter.uniform(0.0, 0.35)));
        painter.drawRect(building);
        if (scatter.chance(0.25)) {
            painter.drawRect(QRectF(x + width * 0.45, building.top() - 18, 2, 18)); // aerial
        }
        for (qreal wy = building.top() + 6; wy + 6 < baseY; wy += 10) {
            for (qreal wx = x + 5; wx + 5 < x + width; wx += 9) {
                if (scatter.chance(litShare)) {
                    painter.setBrush(withAlpha(lights, static_cast<int>(scatter.uniform(150, 255))));
                    painter.drawRect(QRectF(wx, wy, 5, 6));
                }
            }
        }
        x += width + scatter.uniform(-8, 6);
    }
    painter.restore();
}

void paintPineTrees(QPainter &painter, qreal fromX, qreal toX, qreal baseY, qreal height, const QColor &needles,
                    int count, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int tree = 0; tree < count; ++tree) {
        const qreal x = scatter.uniform(fromX, toX);
        const qreal base = baseY + scatter.uniform(-height * 0.1, height * 0.1);
        const qreal h = height * scatter.uniform(0.6, 1.0);
        const qreal w = h * 0.42;
        painter.setBrush(QColor(60, 40, 26));
        painter.drawRect(QRectF(x - w * 0.06, base - h * 0.15, w * 0.12, h * 0.15));
        const QColor tone = blend(needles, Qt::black, scatter.uniform(0.0, 0.3));
        for (int tier = 0; tier < 3; ++tier) {
            const qreal tierBase = base - h * (0.1 + tier * 0.26);
            const qreal tierWidth = w * (1.0 - tier * 0.25);
            QPainterPath cone;
            cone.moveTo(x - tierWidth / 2, tierBase);
            cone.lineTo(x, tierBase - h * 0.48);
            cone.lineTo(x + tierWidth / 2, tierBase);
            cone.closeSubpath();
            QLinearGradient shade(x - tierWidth / 2, 0, x + tierWidth / 2, 0);
            shade.setColorAt(0.0, blend(tone, Qt::white, 0.12));
            shade.setColorAt(1.0, blend(tone, Qt::black, 0.3));
            painter.fillPath(cone, shade);
        }
    }
    painter.restore();
}

void paintLeafyTrees(QPainter &painter, qreal fromX, qreal toX, qreal baseY, qreal height, const QColor &leavesA,
                     const QColor &leavesB, int count, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int tree = 0; tree < count; ++tree) {
        const qreal x = scatter.uniform(fromX, toX);
        const qreal base = baseY + scatter.uniform(-height * 0.08, height * 0.08);
        const qreal h = height * scatter.uniform(0.65, 1.0);
        painter.setBrush(QColor(70, 48, 32));
        painter.drawRect(QRectF(x - h * 0.035, base - h * 0.5, h * 0.07, h * 0.5));
        const QColor tone = blend(leavesA, leavesB, scatter.uniform(0.0, 1.0));
        QPainterPath crown;
        for (int clump = 0; clump < 6; ++clump) {
            const QPointF at(x + scatter.uniform(-h * 0.22, h * 0.22), base - h * scatter.uniform(0.55, 0.8));
            const qreal r = h * scatter.uniform(0.14, 0.22);
            crown.addEllipse(at, r, r * 0.9);
        }
        crown.setFillRule(Qt::WindingFill); // overlapping clumps merge instead of cancelling
        crown = crown.simplified();
        const QRectF box = crown.boundingRect();
        QLinearGradient shade(box.topLeft(), box.bottomRight());
        shade.setColorAt(0.0, blend(tone, Qt::white, 0.2));
        shade.setColorAt(1.0, blend(tone, Qt::black, 0.35));
        painter.fillPath(crown, shade);
    }
    painter.restore();
}

void paintPalm(QPainter &painter, QPointF base, qreal height, qreal lean)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF top = base + QPointF(lean, -height);
    const QPointF bend = base + QPointF(lean * 0.15, -height * 0.55);

    // The trunk, built from rings that narrow towards the crown.
    painter.setPen(Qt::NoPen);
    for (int ring = 0; ring < 24; ++ring) {
        const qreal t = ring / 24.0;
        const QPointF at = (1 - t) * (1 - t) * base + 2 * (1 - t) * t * bend + t * t * top;
        const qreal r = height * (0.05 - 0.025 * t);
        painter.setBrush(ring % 2 == 0 ? QColor(112, 84, 56) : QColor(90, 66, 44));
        painter.drawEllipse(at, r, r * 0.7);
    }

    painter.setPen(QPen(QColor(28, 82, 36), height * 0.02, Qt::SolidLine, Qt::RoundCap));
    for (int frond = 0; frond < 8; ++frond) {
        const qreal angle = frond * (2 * M_PI / 8) + 0.2;
        const qreal reach = height * (frond % 2 == 0 ? 0.45 : 0.36);
        const QPointF tip =
            top + QPointF(std::cos(angle) * reach, std::abs(std::sin(angle)) * reach * 0.45 + reach * 0.15);
        const QPointF arch = top + QPointF(std::cos(angle) * reach * 0.5, -reach * 0.25);
        QPainterPath leaf;
        leaf.moveTo(top);
        leaf.quadTo(arch, tip);
        painter.strokePath(leaf, painter.pen());
        // Leaflets along the frond.
        for (int leaflet = 1; leaflet < 9; ++leaflet) {
            const qreal t = leaflet / 9.0;
            const QPointF on = leaf.pointAtPercent(t);
            painter.setPen(QPen(QColor(34, 104, 44), height * 0.008));
            painter.drawLine(on, on + QPointF(std::cos(angle) * 6, 10 + t * 10));
        }
        painter.setPen(QPen(QColor(28, 82, 36), height * 0.02, Qt::SolidLine, Qt::RoundCap));
    }
    painter.restore();
}
