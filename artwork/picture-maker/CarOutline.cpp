#include "CarOutline.h"

#include <QtMath>

#include <cmath>

namespace {

// Continues `path` along the sill from the nose to `tailX`, arching over each wheel.
void addSill(QPainterPath &path, const CarOutline &car, qreal tailX, bool angularArches)
{
    const qreal r = car.archRadius;
    for (const QPointF &wheel : {car.frontWheel, car.rearWheel}) {
        const qreal drop = car.sillY - wheel.y(); // how far the sill lies below the axle
        const qreal halfOpening = std::sqrt(r * r - drop * drop);
        path.lineTo(wheel.x() + halfOpening, car.sillY);
        if (angularArches) {
            for (const qreal degrees : {12.0, 60.0, 120.0, 168.0}) {
                const qreal angle = qDegreesToRadians(degrees);
                path.lineTo(wheel.x() + r * std::cos(angle), wheel.y() - r * std::sin(angle));
            }
            path.lineTo(wheel.x() - halfOpening, car.sillY);
        } else {
            const qreal lipDegrees = qRadiansToDegrees(std::asin(drop / r));
            path.arcTo(QRectF(wheel.x() - r, wheel.y() - r, 2 * r, 2 * r), -lipDegrees, 180 + 2 * lipDegrees);
        }
    }
    path.lineTo(tailX, car.sillY);
}

void setWheels(CarOutline &car, qreal rearX, qreal frontX, qreal radius, qreal sillY)
{
    car.wheelRadius = radius;
    car.archRadius = radius + 12;
    car.rearWheel = QPointF(rearX, -radius);
    car.frontWheel = QPointF(frontX, -radius);
    car.sillY = sillY;
}

// Cuts a B-pillar out of the side glass.
void addPillar(CarOutline &car, qreal x, qreal width)
{
    QPainterPath pillar;
    pillar.addRect(QRectF(x - width / 2, -400, width, 400));
    car.glass = car.glass.subtracted(pillar);
}

// An open car keeps only its windscreen; the seat backs show above the doors.
void openUp(CarOutline &car, QPointF screenBase, QPointF screenTop)
{
    QPainterPath frame;
    frame.moveTo(screenBase + QPointF(16, 12));
    frame.lineTo(screenTop + QPointF(7, 0));
    frame.lineTo(screenTop + QPointF(-7, 0));
    frame.lineTo(screenBase + QPointF(-12, 12));
    frame.closeSubpath();
    car.cabin = frame;

    QPainterPath screen;
    screen.moveTo(screenBase + QPointF(8, 12));
    screen.lineTo(screenTop + QPointF(3, 6));
    screen.lineTo(screenTop + QPointF(-2, 6));
    screen.lineTo(screenBase + QPointF(-5, 12));
    screen.closeSubpath();
    car.glass = screen;

    const qreal waist = screenBase.y();
    QPainterPath seats;
    seats.addRoundedRect(QRectF(screenBase.x() - 250, waist - 58, 62, 80), 22, 22);
    seats.addRoundedRect(QRectF(screenBase.x() - 236, waist - 78, 36, 30), 12, 12); // headrest
    QPainterPath wheelRim;
    wheelRim.addEllipse(QPointF(screenBase.x() - 70, waist - 26), 9, 26);
    car.interior = seats.united(wheelRim);
}

CarOutline fifties()
{
    CarOutline car;
    setWheels(car, 205, 775, 62, -34);

    QPainterPath &body = car.body;
    body.moveTo(985, -34);
    addSill(body, car, 22, false);
    body.cubicTo(6, -34, 0, -62, 3, -92); // tail
    body.lineTo(6, -150);
    body.lineTo(12, -174);                        // tip of the fin
    body.cubicTo(90, -166, 190, -150, 300, -144); // fin sweeps down into the deck
    body.lineTo(650, -142);
    body.cubicTo(780, -142, 905, -138, 960, -126); // bonnet
    body.cubicTo(996, -118, 1003, -92, 999, -68);  // nose
    body.cubicTo(997, -50, 993, -38, 985, -34);
    body.closeSubpath();

    car.cabin.moveTo(285, -110);
    car.cabin.cubicTo(300, -185, 335, -220, 395, -224);
    car.cabin.lineTo(535, -226);
    car.cabin.cubicTo(565, -224, 590, -200, 645, -110);
    car.cabin.closeSubpath();

    car.glass.moveTo(316, -110);
    car.glass.cubicTo(328, -180, 352, -208, 400, -212);
    car.glass.lineTo(532, -214);
    car.glass.cubicTo(552, -212, 572, -190, 615, -110);
    car.glass.closeSubpath();
    addPillar(car, 452, 14);

    car.doorFrontX = 618;
    car.doorRearX = 420;
    car.handleY = -124;
    car.trimY = -92;
    car.chromeTrim = true;
    car.headlight = QRectF(981, -118, 20, 32);
    car.taillight = QRectF(5, -150, 12, 34);
    return car;
}

CarOutline sixties()
{
    CarOutline car;
    setWheels(car, 215, 790, 60, -36);

    QPainterPath &body = car.body;
    body.moveTo(988, -38);
    addSill(body, car, 22, false);
    body.cubicTo(6, -36, 2, -62, 4, -96);          // tail
    body.cubicTo(5, -122, 12, -138, 32, -142);     // small duck tail
    body.cubicTo(220, -150, 420, -152, 620, -150); // waist
    body.cubicTo(760, -149, 910, -140, 972, -122); // long bonnet
    body.cubicTo(998, -114, 1003, -86, 997, -62);  // nose
    body.cubicTo(995, -48, 993, -40, 988, -38);
    body.closeSubpath();

    car.cabin.moveTo(60, -120); // fastback roof
    car.cabin.cubicTo(180, -160, 300, -226, 410, -230);
    car.cabin.lineTo(495, -230);
    car.cabin.cubicTo(535, -228, 565, -200, 650, -120);
    car.cabin.closeSubpath();

    car.glass.moveTo(290, -125);
    car.glass.cubicTo(335, -190, 370, -216, 415, -218);
    car.glass.lineTo(492, -218);
    car.glass.cubicTo(520, -216, 545, -196, 612, -125);
    car.glass.closeSubpath();
    addPillar(car, 440, 10);

    car.doorFrontX = 625;
    car.doorRearX = 400;
    car.handleY = -132;
    car.trimY = -100;
    car.chromeTrim = true;
    car.headlight = QRectF(978, -114, 22, 28);
    car.taillight = QRectF(2, -124, 10, 26);
    return car;
}

CarOutline wedge()
{
    CarOutline car;
    setWheels(car, 200, 800, 58, -36);

    QPainterPath &body = car.body;
    body.moveTo(990, -36);
    addSill(body, car, 14, true);
    body.lineTo(6, -44);
    body.lineTo(2, -150); // cut-off tail
    body.lineTo(16, -160);
    body.lineTo(260, -162);
    body.lineTo(640, -142); // waist falls towards the nose
    body.lineTo(985, -84);
    body.lineTo(1004, -72);
    body.lineTo(1000, -46);
    body.closeSubpath();

    car.cabin.moveTo(215, -120);
    car.cabin.lineTo(322, -222);
    car.cabin.lineTo(470, -226);
    car.cabin.lineTo(690, -110);
    car.cabin.closeSubpath();

    car.glass.moveTo(285, -120);
    car.glass.lineTo(340, -210);
    car.glass.lineTo(466, -213);
    car.glass.lineTo(652, -110);
    car.glass.closeSubpath();
    addPillar(car, 430, 16);

    car.doorFrontX = 640;
    car.doorRearX = 405;
    car.handleY = -138;
    car.trimY = -104;
    car.chromeTrim = false;
    car.headlight = QRectF(930, -96, 80, 6);
    car.taillight = QRectF(0, -148, 9, 40);
    return car;
}

CarOutline modern()
{
    CarOutline car;
    setWheels(car, 210, 785, 66, -42);

    QPainterPath &body = car.body;
    body.moveTo(982, -44);
    addSill(body, car, 28, false);
    body.cubicTo(8, -44, 2, -72, 4, -108); // tail
    body.cubicTo(6, -134, 16, -150, 44, -156);
    body.cubicTo(130, -162, 210, -163, 270, -160); // rear deck
    body.cubicTo(450, -152, 600, -140, 700, -131); // waist
    body.cubicTo(820, -121, 930, -110, 972, -98);  // bonnet
    body.cubicTo(998, -90, 1003, -66, 982, -44);   // nose
    body.closeSubpath();

    car.cabin.moveTo(170, -120);
    car.cabin.cubicTo(250, -198, 320, -236, 425, -238);
    car.cabin.cubicTo(505, -238, 565, -212, 720, -105);
    car.cabin.closeSubpath();

    car.glass.moveTo(240, -120);
    car.glass.cubicTo(300, -196, 350, -224, 428, -226);
    car.glass.cubicTo(495, -226, 545, -204, 668, -112);
    car.glass.closeSubpath();
    addPillar(car, 455, 16);

    car.doorFrontX = 662;
    car.doorRearX = 420;
    car.handleY = -140;
    car.trimY = -104;
    car.chromeTrim = false;
    car.headlight = QRectF(900, -112, 100, 16);
    car.taillight = QRectF(0, -146, 30, 16);
    return car;
}

} // namespace

CarOutline carOutline(CarEra era, bool openTop)
{
    CarOutline car;
    QPointF screenBase;
    QPointF screenTop;
    switch (era) {
    case CarEra::Fifties:
        car = fifties();
        screenBase = QPointF(628, -142);
        screenTop = QPointF(566, -210);
        break;
    case CarEra::Sixties:
        car = sixties();
        screenBase = QPointF(640, -150);
        screenTop = QPointF(580, -212);
        break;
    case CarEra::Wedge:
        car = wedge();
        screenBase = QPointF(660, -140);
        screenTop = QPointF(560, -200);
        break;
    case CarEra::Modern:
        car = modern();
        screenBase = QPointF(690, -132);
        screenTop = QPointF(585, -206);
        break;
    }
    if (openTop)
        openUp(car, screenBase, screenTop);
    return car;
}
