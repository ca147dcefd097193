#include "YearPhotos.h"

#include "CarPainter.h"
#include "ColourMixing.h"
#include "Landscape.h"
#include "Lettering.h"
#include "PhotoCanvas.h"
#include "Road.h"
#include "Scatter.h"
#include "Sky.h"

#include <QPainter>

#include <stdexcept>
#include <string>

namespace {

constexpr qreal kWidth = kDemoPhotoWidth;
constexpr qreal kHeight = kDemoPhotoHeight;

void paintYearMark(QPainter &painter, int year, Qt::Corner corner, const QColor &colour = Qt::white)
{
    constexpr qreal kMargin = 18;
    const bool left = corner == Qt::TopLeftCorner || corner == Qt::BottomLeftCorner;
    const bool top = corner == Qt::TopLeftCorner || corner == Qt::TopRightCorner;
    const QPointF anchor(left ? kMargin : kWidth - kMargin, top ? kMargin : kHeight - kMargin);
    const Qt::Alignment alignment = (left ? Qt::AlignLeft : Qt::AlignRight) | (top ? Qt::AlignTop : Qt::AlignBottom);
    const QFont font = pictureFont(QStringLiteral("DejaVu Sans"), 22, QFont::Bold);
    paintLettering(painter, textPath(QString::number(year), font, anchor, alignment),
                   {.fill = withAlpha(colour, 235),
                    .outline = QColor(0, 0, 0, 150),
                    .outlineWidth = 1.0,
                    .shadow = QColor(0, 0, 0, 150)});
}

void paintSnowfall(QPainter &painter, int count, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.setPen(Qt::NoPen);
    for (int flake = 0; flake < count; ++flake) {
        const QPointF at(scatter.uniform(0, kWidth), scatter.uniform(0, kHeight));
        const qreal size = scatter.uniform(1.0, 3.2);
        painter.setBrush(QColor(255, 255, 255, static_cast<int>(scatter.uniform(120, 230))));
        painter.drawEllipse(at, size, size);
    }
}

void paintFallenLeaves(QPainter &painter, const QRectF &area, int count, std::uint32_t seed)
{
    Scatter scatter(seed);
    painter.setPen(Qt::NoPen);
    for (int leaf = 0; leaf < count; ++leaf) {
        const QPointF at(scatter.uniform(area.left(), area.right()), scatter.uniform(area.top(), area.bottom()));
        painter.setBrush(blend(QColor(236, 150, 30), QColor(170, 40, 20), scatter.uniform(0, 1)));
        painter.drawEllipse(at, scatter.uniform(2, 5), scatter.uniform(1, 2.5));
    }
}

// A glowing grid floor running to the horizon, 1980s style.
void paintNeonGrid(QPainter &painter, const QRectF &floor)
{
    paintGround(painter, floor, QColor(40, 0, 60), QColor(14, 0, 30));
    const QPointF vanishing(floor.center().x(), floor.top() - 60);
    const QPen glow(QColor(255, 60, 200, 60), 7);
    const QPen line(QColor(255, 130, 236), 1.6);
    for (const QPen &pen : {glow, line}) {
        painter.setPen(pen);
        for (int step = 1; step <= 12; ++step) {
            const qreal t = step / 12.0;
            const qreal y = floor.top() + floor.height() * t * t;
            painter.drawLine(QPointF(floor.left(), y), QPointF(floor.right(), y));
        }
        for (int column = -16; column <= 16; ++column) {
            const QPointF bottom(vanishing.x() + column * 110, floor.bottom());
            const qreal t = (floor.top() - vanishing.y()) / (bottom.y() - vanishing.y());
            painter.drawLine(vanishing + (bottom - vanishing) * t, bottom);
        }
    }
}

QImage seaside1957()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 330), TimeOfDay::Day);
    paintClouds(painter, QRectF(0, 50, kWidth, 170), 6, Qt::white, QColor(196, 208, 226), 57);
    paintWater(painter, QRectF(0, 330, kWidth, 92), QColor(130, 188, 214), QColor(20, 92, 150), -1, QColor(), 571);
    paintGround(painter, QRectF(0, 422, kWidth, 30), QColor(238, 216, 172), QColor(212, 186, 140));
    paintPalm(painter, QPointF(96, 452), 330, 46);
    paintPalm(painter, QPointF(930, 448), 290, -54);
    paintRoad(painter, QRectF(0, 452, kWidth, 168), QColor(100, 96, 92), QColor(250, 250, 240));
    paintCar(painter,
             {.era = CarEra::Fifties, .paint = QColor(70, 188, 176), .stripe = QColor(246, 240, 222), .openTop = true},
             {.ground = QPointF(512, 566), .length = 740});
    paintYearMark(painter, 1957, Qt::BottomRightCorner);
    return photo;
}

QImage desert1963()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 380), TimeOfDay::Dusk);
    paintSun(painter, QPointF(770, 346), 34, QColor(255, 172, 80));
    paintMesas(painter, QRectF(0, 200, kWidth, 180), 382, QColor(120, 52, 54), 63);
    paintGround(painter, QRectF(0, 380, kWidth, 82), QColor(198, 122, 82), QColor(148, 84, 60));
    paintRoad(painter, QRectF(0, 462, kWidth, 158), QColor(72, 60, 64), QColor(250, 222, 150));
    paintCar(painter, {.era = CarEra::Fifties, .paint = QColor(192, 28, 36), .stripe = QColor(242, 234, 212)},
             {.ground = QPointF(540, 556), .length = 600, .facingLeft = true});
    paintYearMark(painter, 1963, Qt::TopLeftCorner);
    return photo;
}

QImage mountainPass1967()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 360), TimeOfDay::Day);
    paintClouds(painter, QRectF(0, 30, kWidth, 90), 3, Qt::white, QColor(200, 210, 226), 67);
    paintMountains(painter, QRectF(0, 120, kWidth, 340), 360, 230, QColor(96, 110, 140), QColor(244, 246, 250), 671);
    paintHills(painter, QRectF(0, 300, kWidth, 160), 372, 30, QColor(60, 122, 62), 672);
    paintPineTrees(painter, 0, kWidth, 405, 120, QColor(30, 82, 46), 26, 673);
    paintGuardRail(painter, 0, kWidth, 458, 34);
    paintRoad(painter, QRectF(0, 458, kWidth, 162), QColor(84, 86, 90), QColor(240, 240, 230));
    paintCar(painter, {.era = CarEra::Sixties, .paint = QColor(18, 84, 52)},
             {.ground = QPointF(500, 566), .length = 760});
    paintYearMark(painter, 1967, Qt::BottomRightCorner);
    return photo;
}

QImage cliffs1972()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 350), TimeOfDay::Dusk);
    paintClouds(painter, QRectF(0, 60, kWidth, 120), 4, QColor(255, 200, 160), QColor(150, 80, 110), 72);
    paintSun(painter, QPointF(230, 330), 30, QColor(255, 200, 100));
    paintWater(painter, QRectF(0, 348, kWidth, 74), QColor(240, 170, 112), QColor(70, 60, 100), 230,
               QColor(255, 224, 150), 721);
    paintHills(painter, QRectF(610, 200, 420, 230), 300, 60, QColor(104, 70, 58), 722); // headland
    paintGround(painter, QRectF(0, 420, kWidth, 32), QColor(160, 120, 80), QColor(118, 88, 60));
    paintRoad(painter, QRectF(0, 452, kWidth, 168), QColor(76, 70, 70), QColor(250, 230, 160));
    paintCar(painter, {.era = CarEra::Wedge, .paint = QColor(236, 112, 20), .stripe = QColor(24, 24, 24)},
             {.ground = QPointF(560, 568), .length = 700, .facingLeft = true});
    paintYearMark(painter, 1972, Qt::BottomLeftCorner);
    return photo;
}

QImage nightCity1978()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 440), TimeOfDay::Night);
    paintStars(painter, QRectF(0, 0, kWidth, 260), 160, 78);
    paintMoon(painter, QPointF(760, 100), 30);
    paintCity(painter, QRectF(0, 130, kWidth, 310), 440, QColor(30, 34, 54), QColor(255, 214, 120), 0.3, 781);
    paintGround(painter, QRectF(0, 440, kWidth, 22), QColor(92, 92, 98), QColor(70, 70, 76));
    paintRoad(painter, QRectF(0, 462, kWidth, 158), QColor(42, 42, 48), QColor(220, 210, 160));
    for (const qreal x : {90.0, 500.0, 910.0})
        paintStreetLamp(painter, QPointF(x, 452), 270, true);
    paintCar(painter,
             {.era = CarEra::Wedge, .paint = QColor(186, 190, 198), .stripe = QColor(30, 30, 34), .lightsOn = true},
             {.ground = QPointF(460, 572), .length = 700});
    paintYearMark(painter, 1978, Qt::TopRightCorner);
    return photo;
}

QImage neon1984()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 392), TimeOfDay::NeonEvening);
    paintStars(painter, QRectF(0, 0, kWidth, 200), 80, 84);
    painter.save();
    painter.setClipRect(QRectF(0, 0, kWidth, 392));
    paintStripedSun(painter, QPointF(512, 330), 170);
    painter.restore();
    paintMountains(painter, QRectF(0, 250, kWidth, 142), 392, 120, QColor(44, 10, 74), QColor(), 841);
    paintNeonGrid(painter, QRectF(0, 392, kWidth, 228));
    paintCar(painter,
             {.era = CarEra::Wedge, .paint = QColor(30, 30, 36), .stripe = QColor(232, 30, 64), .lightsOn = true},
             {.ground = QPointF(512, 566), .length = 720});
    paintYearMark(painter, 1984, Qt::TopLeftCorner, QColor(255, 120, 220));
    return photo;
}

QImage rain1991()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 400), TimeOfDay::Overcast);
    paintCity(painter, QRectF(0, 150, kWidth, 250), 400, QColor(112, 118, 128), QColor(255, 232, 170), 0.08, 91);
    paintGround(painter, QRectF(0, 240, kWidth, 160), QColor(170, 176, 182, 0), QColor(170, 176, 182, 160));
    paintGround(painter, QRectF(0, 400, kWidth, 26), QColor(122, 126, 132), QColor(100, 104, 110));
    paintRoad(painter, QRectF(0, 426, kWidth, 194), QColor(58, 62, 68), QColor(210, 210, 200));
    paintWetSheen(painter, QRectF(0, 430, kWidth, 190), 911);
    const CarLook look{.era = CarEra::Modern, .paint = QColor(26, 52, 140), .lightsOn = true};
    const CarPlacement placement{.ground = QPointF(520, 540), .length = 720, .facingLeft = true};
    paintCarReflection(painter, look, placement, 0.25);
    paintCar(painter, look, placement);
    paintRain(painter, QRectF(0, -40, kWidth, kHeight), 900, 912);
    paintYearMark(painter, 1991, Qt::BottomRightCorner);
    return photo;
}

QImage raceTrack1996()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 300), TimeOfDay::Day);
    paintClouds(painter, QRectF(0, 30, kWidth, 100), 4, Qt::white, QColor(200, 210, 226), 96);

    // Grandstand: roof, supports, and a crowd of coloured dots on the terraces.
    painter.fillRect(QRectF(0, 168, kWidth, 20), QColor(60, 64, 72));
    for (qreal x = 30; x < kWidth; x += 160)
        painter.fillRect(QRectF(x, 188, 8, 150), QColor(90, 94, 100));
    paintGround(painter, QRectF(0, 200, kWidth, 140), QColor(120, 122, 130), QColor(170, 172, 178));
    Scatter crowd(961);
    painter.setPen(Qt::NoPen);
    for (int fan = 0; fan < 1600; ++fan) {
        const QPointF at(crowd.uniform(0, kWidth), crowd.uniform(206, 330));
        painter.setBrush(QColor::fromHsv(static_cast<int>(crowd.uniform(0, 359)),
                                         static_cast<int>(crowd.uniform(60, 200)),
                                         static_cast<int>(crowd.uniform(120, 255))));
        painter.drawEllipse(at, 2.4, 2.4);
    }
    // Advertising boards along the track.
    const QFont font = pictureFont(QStringLiteral("DejaVu Sans"), 24, QFont::Black, true);
    for (int board = 0; board < 6; ++board) {
        const QRectF panel(board * 180.0 - 20, 340, 176, 40);
        painter.fillRect(panel, board % 2 == 0 ? QColor(200, 20, 30) : QColor(20, 40, 120));
        painter.fillPath(textPath(QStringLiteral("DRAVIK"), font, panel.center(), Qt::AlignCenter), Qt::white);
    }
    paintGround(painter, QRectF(0, 380, kWidth, 44), QColor(90, 150, 60), QColor(60, 120, 44));
    paintKerb(painter, QRectF(0, 424, kWidth, 18), 48);
    paintGround(painter, QRectF(0, 442, kWidth, 178), QColor(84, 86, 90), QColor(44, 46, 50));
    painter.fillRect(QRectF(0, 446, kWidth, 4), QColor(240, 240, 236));
    paintCar(painter, {.era = CarEra::Modern, .paint = QColor(246, 196, 18), .stripe = QColor(24, 24, 24)},
             {.ground = QPointF(470, 584), .length = 820});
    paintYearMark(painter, 1996, Qt::TopRightCorner);
    return photo;
}

QImage dawnLake2001()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 342), TimeOfDay::Dawn);
    paintSun(painter, QPointF(300, 214), 26, QColor(255, 222, 170));
    paintMountains(painter, QRectF(0, 150, kWidth, 192), 342, 170, QColor(100, 96, 140), QColor(238, 226, 236), 2001);
    paintWater(painter, QRectF(0, 340, kWidth, 92), QColor(240, 200, 200), QColor(80, 90, 140), 300,
               QColor(255, 238, 212), 20011);
    paintGround(painter, QRectF(0, 430, kWidth, 26), QColor(82, 98, 72), QColor(60, 76, 56));
    paintPineTrees(painter, 0, 160, 446, 110, QColor(36, 62, 54), 6, 20012);
    paintPineTrees(painter, 880, 1030, 446, 120, QColor(36, 62, 54), 6, 20013);
    paintRoad(painter, QRectF(0, 456, kWidth, 164), QColor(80, 80, 88), QColor(240, 236, 226));
    paintCar(painter, {.era = CarEra::Modern, .paint = QColor(172, 178, 188)},
             {.ground = QPointF(600, 548), .length = 560});
    paintYearMark(painter, 2001, Qt::BottomRightCorner);
    return photo;
}

QImage winter2004()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 362), TimeOfDay::Day);
    paintMountains(painter, QRectF(0, 110, kWidth, 252), 362, 230, QColor(120, 130, 152), QColor(250, 252, 255), 2004);
    paintGround(painter, QRectF(0, 360, kWidth, 100), QColor(246, 248, 252), QColor(206, 216, 232));
    paintPineTrees(painter, 0, kWidth, 424, 130, QColor(26, 70, 52), 18, 20041);
    paintGround(painter, QRectF(0, 452, kWidth, 10), QColor(250, 252, 255), QColor(220, 228, 240));
    paintRoad(painter, QRectF(0, 462, kWidth, 158), QColor(90, 94, 102), QColor(232, 232, 222));
    paintCar(painter, {.era = CarEra::Modern, .paint = QColor(196, 20, 30)},
             {.ground = QPointF(524, 566), .length = 700, .facingLeft = true});
    paintSnowfall(painter, 500, 20042);
    paintYearMark(painter, 2004, Qt::TopLeftCorner);
    return photo;
}

QImage autumn2008()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    paintSky(painter, QRectF(0, 0, kWidth, 380), TimeOfDay::Day);
    paintClouds(painter, QRectF(0, 40, kWidth, 100), 3, Qt::white, QColor(210, 206, 200), 8);
    paintHills(painter, QRectF(0, 250, kWidth, 200), 330, 40, QColor(124, 112, 60), 81);
    paintLeafyTrees(painter, 0, kWidth, 404, 170, QColor(232, 120, 22), QColor(176, 40, 20), 24, 82);
    paintGround(painter, QRectF(0, 420, kWidth, 38), QColor(112, 100, 40), QColor(90, 80, 30));
    paintLeafyTrees(painter, 0, kWidth, 446, 230, QColor(252, 190, 40), QColor(204, 72, 20), 9, 83);
    paintRoad(painter, QRectF(0, 458, kWidth, 162), QColor(72, 70, 68), QColor(240, 230, 200));
    paintFallenLeaves(painter, QRectF(0, 440, kWidth, 180), 260, 84);
    paintCar(painter, {.era = CarEra::Modern, .paint = QColor(236, 234, 226)},
             {.ground = QPointF(520, 576), .length = 740});
    paintYearMark(painter, 2008, Qt::BottomLeftCorner);
    return photo;
}

} // namespace

QImage yearPhoto(int modelYear)
{
    switch (modelYear) {
    case 1957:
        return seaside1957();
    case 1963:
        return desert1963();
    case 1967:
        return mountainPass1967();
    case 1972:
        return cliffs1972();
    case 1978:
        return nightCity1978();
    case 1984:
        return neon1984();
    case 1991:
        return rain1991();
    case 1996:
        return raceTrack1996();
    case 2001:
        return dawnLake2001();
    case 2004:
        return winter2004();
    case 2008:
        return autumn2008();
    default:
        throw std::invalid_argument("no demo photo for model year " + std::to_string(modelYear));
    }
}
