#include "CarPainter.h"

#include "ColourMixing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cmath>
#include <utility>

namespace {

constexpr qreal kCarLength = 1000.0;

void applyPlacement(QPainter &painter, const CarPlacement &placement)
{
    const qreal scale = placement.length / kCarLength;
    painter.translate(placement.ground);
    painter.scale(placement.facingLeft ? -scale : scale, scale);
    painter.translate(-kCarLength / 2, 0);
}

QRadialGradient chrome(QPointF centre, qreal radius)
{
    QRadialGradient gradient(centre, radius, centre + QPointF(-radius * 0.3, -radius * 0.4));
    gradient.setColorAt(0.0, QColor(255, 255, 255));
    gradient.setColorAt(0.5, QColor(188, 192, 198));
    gradient.setColorAt(0.85, QColor(112, 116, 124));
    gradient.setColorAt(1.0, QColor(205, 208, 214));
    return gradient;
}

QLinearGradient chromeBar(qreal top, qreal bottom)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0.0, QColor(250, 250, 252));
    gradient.setColorAt(0.45, QColor(150, 155, 162));
    gradient.setColorAt(0.55, QColor(95, 100, 108));
    gradient.setColorAt(1.0, QColor(215, 218, 224));
    return gradient;
}

// Paint looks lit from the sky: pale on top, its own colour on the flanks, dark underneath.
QLinearGradient paintShade(const QColor &paint, qreal top, qreal bottom)
{
    QLinearGradient shade(0, top, 0, bottom);
    shade.setColorAt(0.0, blend(paint, Qt::white, 0.5));
    shade.setColorAt(0.28, blend(paint, Qt::white, 0.12));
    shade.setColorAt(0.5, paint);
    shade.setColorAt(0.72, blend(paint, Qt::black, 0.25));
    shade.setColorAt(1.0, blend(paint, Qt::black, 0.65));
    return shade;
}

void paintGroundShadow(QPainter &painter)
{
    painter.save();
    painter.translate(kCarLength / 2, 0);
    painter.scale(1.0, 0.045);
    QRadialGradient shadow(QPointF(0, 0), 560);
    shadow.setColorAt(0.0, QColor(0, 0, 0, 190));
    shadow.setColorAt(0.75, QColor(0, 0, 0, 120));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(QPointF(0, 0), 560, 560);
    painter.restore();
}

void paintWheelWells(QPainter &painter, const CarOutline &car)
{
    QPainterPath aboveSill;
    aboveSill.addRect(QRectF(0, -400, kCarLength, 400 + car.sillY));
    for (const QPointF &wheel : {car.frontWheel, car.rearWheel}) {
        QPainterPath well;
        well.addEllipse(wheel, car.archRadius, car.archRadius);
        painter.fillPath(well.intersected(aboveSill), QColor(16, 16, 18));
    }
}

void paintWhitewallHubcap(QPainter &painter, QPointF centre, qreal r)
{
    painter.setBrush(QColor(238, 236, 226));
    painter.drawEllipse(centre, r * 0.8, r * 0.8);
    painter.setBrush(QColor(44, 44, 46));
    painter.drawEllipse(centre, r * 0.58, r * 0.58);
    painter.setBrush(chrome(centre, r * 0.5));
    painter.drawEllipse(centre, r * 0.5, r * 0.5);
    painter.setBrush(chrome(centre, r * 0.16));
    painter.drawEllipse(centre, r * 0.16, r * 0.16);
}

void paintWireWheel(QPainter &painter, QPointF centre, qreal r)
{
    painter.setBrush(chrome(centre, r * 0.68));
    painter.drawEllipse(centre, r * 0.68, r * 0.68);
    painter.setBrush(QColor(32, 32, 34));
    painter.drawEllipse(centre, r * 0.6, r * 0.6);
    painter.setPen(QPen(QColor(205, 208, 214), r * 0.022));
    for (int spoke = 0; spoke < 36; ++spoke) {
        const qreal angle = spoke * (2 * M_PI / 36);
        const QPointF hub = centre + r * 0.15 * QPointF(std::cos(angle), std::sin(angle));
        const qreal rimAngle = angle + (spoke % 2 == 0 ? 0.45 : -0.45); // crossed lacing
        const QPointF rim = centre + r * 0.6 * QPointF(std::cos(rimAngle), std::sin(rimAngle));
        painter.drawLine(hub, rim);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(chrome(centre, r * 0.18));
    painter.drawEllipse(centre, r * 0.18, r * 0.18);
}

void paintDishWheel(QPainter &painter, QPointF centre, qreal r)
{
    QLinearGradient metal(centre - QPointF(0, r * 0.64), centre + QPointF(0, r * 0.64));
    metal.setColorAt(0.0, QColor(176, 170, 150));
    metal.setColorAt(1.0, QColor(92, 88, 78));
    painter.setBrush(metal);
    painter.drawEllipse(centre, r * 0.64, r * 0.64);
    painter.setBrush(QColor(22, 22, 24));
    for (int hole = 0; hole < 6; ++hole) {
        const qreal angle = hole * (M_PI / 3) + 0.3;
        painter.drawEllipse(centre + r * 0.38 * QPointF(std::cos(angle), std::sin(angle)), r * 0.12, r * 0.12);
    }
    painter.setBrush(chrome(centre, r * 0.13));
    painter.drawEllipse(centre, r * 0.13, r * 0.13);
}

void paintAlloyWheel(QPainter &painter, QPointF centre, qreal r)
{
    painter.setBrush(QColor(26, 26, 28));
    painter.drawEllipse(centre, r * 0.72, r * 0.72);
    painter.setBrush(QColor(118, 118, 124));
    painter.drawEllipse(centre, r * 0.56, r * 0.56); // brake disc

    QPainterPath caliper;
    const QRectF outer(centre - QPointF(r * 0.6, r * 0.6), QSizeF(r * 1.2, r * 1.2));
    const QRectF inner(centre - QPointF(r * 0.4, r * 0.4), QSizeF(r * 0.8, r * 0.8));
    caliper.arcMoveTo(outer, 100);
    caliper.arcTo(outer, 100, 45);
    caliper.arcTo(inner, 145, -45);
    caliper.closeSubpath();
    painter.fillPath(caliper, QColor(196, 28, 28));

    QPainterPath spokes;
    for (int spoke = 0; spoke < 5; ++spoke) {
        const qreal angle = spoke * (2 * M_PI / 5) - M_PI / 2;
        const QPointF along(std::cos(angle), std::sin(angle));
        const QPointF across(-along.y(), along.x());
        QPainterPath arm;
        arm.moveTo(centre + along * r * 0.12 + across * r * 0.1);
        arm.lineTo(centre + along * r * 0.7 + across * r * 0.15);
        arm.lineTo(centre + along * r * 0.7 - across * r * 0.15);
        arm.lineTo(centre + along * r * 0.12 - across * r * 0.1);
        arm.closeSubpath();
        spokes = spokes.united(arm);
    }
    QPainterPath rim;
    rim.addEllipse(centre, r * 0.74, r * 0.74);
    QPainterPath rimHole;
    rimHole.addEllipse(centre, r * 0.64, r * 0.64);
    spokes = spokes.united(rim.subtracted(rimHole));
    QPainterPath hub;
    hub.addEllipse(centre, r * 0.2, r * 0.2);
    spokes = spokes.united(hub);
    QLinearGradient silver(centre - QPointF(r, r), centre + QPointF(r, r));
    silver.setColorAt(0.0, QColor(246, 248, 250));
    silver.setColorAt(0.5, QColor(170, 174, 182));
    silver.setColorAt(1.0, QColor(96, 100, 108));
    painter.fillPath(spokes, silver);
    painter.setBrush(QColor(40, 40, 44));
    painter.drawEllipse(centre, r * 0.07, r * 0.07);
}

void paintWheel(QPainter &painter, QPointF centre, qreal r, CarEra era)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    QRadialGradient rubber(centre, r);
    rubber.setColorAt(0.0, QColor(64, 64, 66));
    rubber.setColorAt(0.78, QColor(36, 36, 38));
    rubber.setColorAt(0.94, QColor(22, 22, 24));
    rubber.setColorAt(1.0, QColor(6, 6, 6));
    painter.setBrush(rubber);
    painter.drawEllipse(centre, r, r);
    switch (era) {
    case CarEra::Fifties:
        paintWhitewallHubcap(painter, centre, r);
        break;
    case CarEra::Sixties:
        paintWireWheel(painter, centre, r);
        break;
    case CarEra::Wedge:
        paintDishWheel(painter, centre, r);
        break;
    case CarEra::Modern:
        paintAlloyWheel(painter, centre, r);
        break;
    }
    painter.restore();
}

QRectF carBounds(const CarOutline &car)
{
    return car.body.boundingRect().united(car.cabin.boundingRect());
}

void paintCabin(QPainter &painter, const CarOutline &car, const CarLook &look)
{
    const QRectF bounds = carBounds(car);
    if (!car.interior.isEmpty())
        painter.fillPath(car.interior, QColor(40, 26, 20));
    painter.fillPath(car.cabin, paintShade(look.paint, bounds.top(), car.sillY));
    painter.strokePath(car.cabin, QPen(blend(look.paint, Qt::black, 0.7), 2.0));

    const QRectF glassBox = car.glass.boundingRect();
    QLinearGradient tint(0, glassBox.top(), 0, glassBox.top() + 110);
    tint.setColorAt(0.0, QColor(196, 216, 232));
    tint.setColorAt(0.45, QColor(86, 110, 134));
    tint.setColorAt(1.0, QColor(18, 26, 36));
    painter.fillPath(car.glass, tint);

    // A slanted sheen, as the sky would leave on the glass.
    QPainterPath sheen;
    sheen.moveTo(glassBox.left() + glassBox.width() * 0.42, glassBox.top());
    sheen.lineTo(glassBox.left() + glassBox.width() * 0.6, glassBox.top());
    sheen.lineTo(glassBox.left() + glassBox.width() * 0.38, glassBox.bottom());
    sheen.lineTo(glassBox.left() + glassBox.width() * 0.2, glassBox.bottom());
    sheen.closeSubpath();
    painter.fillPath(sheen.intersected(car.glass), QColor(255, 255, 255, 48));
    painter.strokePath(car.glass, QPen(QColor(14, 14, 16), 3.0));
}

void paintBody(QPainter &painter, const CarOutline &car, const CarLook &look)
{
    const QRectF bounds = carBounds(car);
    painter.fillPath(car.body, paintShade(look.paint, bounds.top(), car.sillY));

    if (look.stripe.isValid()) {
        painter.save();
        painter.setClipPath(car.body, Qt::IntersectClip);
        painter.fillRect(QRectF(0, car.trimY - 11, kCarLength, 22), look.stripe);
        painter.restore();
    }

    // A bright edge where panels face the sky, a dark one where they face the road.
    painter.fillPath(car.body.subtracted(car.body.translated(0, 8)), QColor(255, 255, 255, 80));
    painter.fillPath(car.body.subtracted(car.body.translated(0, -12)), QColor(0, 0, 0, 70));
    painter.strokePath(car.body, QPen(blend(look.paint, Qt::black, 0.7), 2.0));
}

// Flames licking back from the nose, each tongue ending in a curl.
void paintFlames(QPainter &painter, const CarOutline &car)
{
    struct Tongue
    {
        qreal tipX;
        qreal tipY;
        qreal width;
    };
    const qreal midY = car.trimY - 10;
    const Tongue tongues[] = {
        {500, midY - 8, 26}, {585, midY + 26, 22}, {430, midY + 10, 20}, {640, midY - 34, 18}, {700, midY + 44, 14},
    };
    QPainterPath flames;
    for (const Tongue &tongue : tongues) {
        QPainterPath shape;
        shape.moveTo(1010, midY - tongue.width);
        shape.cubicTo(850, midY - tongue.width * 1.4, tongue.tipX + 120, tongue.tipY - tongue.width, tongue.tipX,
                      tongue.tipY);
        shape.cubicTo(tongue.tipX + 60, tongue.tipY + tongue.width * 0.2, tongue.tipX + 140,
                      tongue.tipY + tongue.width * 0.9, 1010, midY + tongue.width);
        shape.closeSubpath();
        flames = flames.united(shape);
    }
    flames = flames.intersected(car.body);
    QLinearGradient fire(1000, 0, 420, 0);
    fire.setColorAt(0.0, QColor(255, 240, 120));
    fire.setColorAt(0.35, QColor(255, 170, 20));
    fire.setColorAt(0.75, QColor(236, 70, 10));
    fire.setColorAt(1.0, QColor(180, 20, 10));
    painter.fillPath(flames, fire);
    painter.strokePath(flames, QPen(QColor(120, 10, 0), 2.0));
}

void paintDoorsAndTrim(QPainter &painter, const CarOutline &car, const CarLook &look)
{
    painter.save();
    painter.setClipPath(car.body, Qt::IntersectClip);
    QPainterPath door;
    door.moveTo(car.doorFrontX, -300);
    door.lineTo(car.doorFrontX - 6, car.sillY - 6);
    door.lineTo(car.doorRearX + 4, car.sillY - 6);
    door.lineTo(car.doorRearX, -300);
    painter.strokePath(door, QPen(QColor(0, 0, 0, 120), 2.5));
    painter.strokePath(door.translated(1.5, 0), QPen(QColor(255, 255, 255, 40), 1.0));

    if (car.chromeTrim) {
        painter.setPen(QPen(QColor(0, 0, 0, 90), 3));
        painter.drawLine(QPointF(30, car.trimY + 3), QPointF(975, car.trimY + 3));
        painter.setPen(QPen(QColor(240, 242, 246), 4));
        painter.drawLine(QPointF(30, car.trimY), QPointF(975, car.trimY));
    }
    painter.restore();

    const QRectF handle(car.doorRearX + 22, car.handleY, 36, 7);
    painter.setPen(Qt::NoPen);
    painter.setBrush(car.chromeTrim ? QBrush(chromeBar(handle.top(), handle.bottom()))
                                    : QBrush(blend(look.paint, Qt::black, 0.55)));
    painter.drawRoundedRect(handle, 3, 3);

    if (car.chromeTrim) {
        const qreal top = car.sillY - 20;
        painter.setBrush(chromeBar(top, top + 17));
        painter.drawRoundedRect(QRectF(958, top, 50, 17), 8, 8);
        painter.drawRoundedRect(QRectF(-8, top, 50, 17), 8, 8);
    } else if (look.era == CarEra::Wedge) {
        painter.setBrush(QColor(26, 26, 28));
        painter.drawRect(QRectF(978, -64, 30, 18));
        painter.drawRect(QRectF(-4, -66, 26, 20));
    }
}

void paintLamps(QPainter &painter, const CarOutline &car, const CarLook &look)
{
    const QRectF &head = car.headlight;
    if (look.lightsOn) {
        // Light beams spreading ahead over the road.
        QPainterPath beam;
        beam.moveTo(head.center() + QPointF(0, -6));
        beam.lineTo(head.center() + QPointF(650, -60));
        beam.lineTo(head.center() + QPointF(650, -head.center().y() + 20));
        beam.lineTo(head.center() + QPointF(0, 6));
        beam.closeSubpath();
        QLinearGradient fade(head.center(), head.center() + QPointF(650, 0));
        fade.setColorAt(0.0, QColor(255, 248, 210, 110));
        fade.setColorAt(1.0, QColor(255, 248, 210, 0));
        painter.fillPath(beam, fade);
    }

    painter.save();
    painter.setPen(Qt::NoPen);
    if (look.era == CarEra::Wedge || look.era == CarEra::Modern) {
        painter.setClipPath(car.body, Qt::IntersectClip); // flush lamps follow the body's edge
    }
    switch (look.era) {
    case CarEra::Fifties:
    case CarEra::Sixties: {
        painter.setBrush(chrome(head.center(), head.height() * 0.6));
        painter.drawEllipse(head.adjusted(-3, -3, 3, 3));
        QRadialGradient lens(head.center(), head.height() / 2);
        lens.setColorAt(0.0, QColor(255, 255, 250));
        lens.setColorAt(0.7, QColor(230, 228, 200));
        lens.setColorAt(1.0, QColor(150, 150, 140));
        painter.setBrush(lens);
        painter.drawEllipse(head);
        break;
    }
    case CarEra::Wedge:
        painter.setBrush(QColor(20, 20, 22));
        painter.drawRect(head);
        break;
    case CarEra::Modern: {
        QLinearGradient lens(head.topLeft(), head.bottomRight());
        lens.setColorAt(0.0, QColor(250, 252, 255));
        lens.setColorAt(1.0, QColor(140, 150, 165));
        painter.setBrush(lens);
        painter.setPen(QPen(QColor(30, 30, 34), 1.5));
        painter.drawRoundedRect(head, head.height() / 2, head.height() / 2);
        painter.setPen(Qt::NoPen);
        break;
    }
    }

    const QRectF &tail = car.taillight;
    QLinearGradient red(0, tail.top(), 0, tail.bottom());
    red.setColorAt(0.0, QColor(255, 90, 80));
    red.setColorAt(1.0, QColor(150, 0, 0));
    painter.setBrush(red);
    painter.drawRoundedRect(tail, 3, 3);
    painter.restore();

    painter.setPen(Qt::NoPen);
    if (look.lightsOn) {
        for (const auto &[centre, colour] :
             {std::pair{head.center(), QColor(255, 250, 220)}, std::pair{tail.center(), QColor(255, 40, 30)}}) {
            QRadialGradient glow(centre, 70);
            glow.setColorAt(0.0, withAlpha(colour, 220));
            glow.setColorAt(0.3, withAlpha(colour, 70));
            glow.setColorAt(1.0, withAlpha(colour, 0));
            painter.setBrush(glow);
            painter.drawEllipse(centre, 70, 70);
        }
    }
}

} // namespace

void paintCar(QPainter &painter, const CarLook &look, const CarPlacement &placement)
{
    const CarOutline car = carOutline(look.era, look.openTop);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    applyPlacement(painter, placement);

    paintGroundShadow(painter);
    paintWheelWells(painter, car);
    paintCabin(painter, car, look);
    paintBody(painter, car, look);
    if (look.flames)
        paintFlames(painter, car);
    paintDoorsAndTrim(painter, car, look);
    paintLamps(painter, car, look);
    paintWheel(painter, car.rearWheel, car.wheelRadius, look.era);
    paintWheel(painter, car.frontWheel, car.wheelRadius, look.era);
    painter.restore();
}

void paintCarReflection(QPainter &painter, const CarLook &look, const CarPlacement &placement, qreal opacity)
{
    painter.save();
    const qreal road = placement.ground.y();
    painter.setClipRect(QRectF(-1e5, road, 2e5, 1e5), Qt::IntersectClip);
    painter.translate(0, 2 * road);
    painter.scale(1, -1);
    painter.setOpacity(painter.opacity() * opacity);
    paintCar(painter, look, placement);
    painter.restore();
}

void paintCarDrawing(QPainter &painter, CarEra era, const CarPlacement &placement, const QColor &ink)
{
    const CarOutline car = carOutline(era, false);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    applyPlacement(painter, placement);
    QPen pen(ink, 2.0);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    painter.drawPath(car.body.united(car.cabin));
    painter.drawPath(car.glass.subtracted(car.body));
    for (const QRectF &lamp : {car.headlight, car.taillight}) {
        QPainterPath lens;
        lens.addEllipse(lamp);
        painter.drawPath(lens.intersected(car.body));
    }
    painter.drawLine(QPointF(car.doorFrontX, -140), QPointF(car.doorFrontX - 6, car.sillY - 6));
    painter.drawLine(QPointF(car.doorRearX, -150), QPointF(car.doorRearX + 4, car.sillY - 6));
    for (const QPointF &wheel : {car.frontWheel, car.rearWheel}) {
        painter.drawEllipse(wheel, car.wheelRadius, car.wheelRadius);
        painter.drawEllipse(wheel, car.wheelRadius * 0.66, car.wheelRadius * 0.66);
        painter.drawEllipse(wheel, car.wheelRadius * 0.1, car.wheelRadius * 0.1);
    }
    painter.restore();
}

void paintCarSilhouette(QPainter &painter, CarEra era, const CarPlacement &placement, const QBrush &brush)
{
    const CarOutline car = carOutline(era, false);
    QPainterPath shape = car.body.united(car.cabin);
    for (const QPointF &wheel : {car.frontWheel, car.rearWheel}) {
        QPainterPath tyre;
        tyre.addEllipse(wheel, car.wheelRadius, car.wheelRadius);
        shape = shape.united(tyre);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    applyPlacement(painter, placement);
    painter.fillPath(shape, brush);
    painter.restore();
}
