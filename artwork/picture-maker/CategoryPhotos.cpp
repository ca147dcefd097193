#include "CategoryPhotos.h"

#include "CarOutline.h"
#include "CarPainter.h"
#include "ColourMixing.h"
#include "Landscape.h"
#include "Lettering.h"
#include "PhotoCanvas.h"
#include "Road.h"
#include "Scatter.h"
#include "Sky.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cmath>

namespace {

constexpr qreal kWidth = kDemoPhotoWidth;
constexpr qreal kHeight = kDemoPhotoHeight;

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

QLinearGradient goldGradient(qreal top, qreal bottom)
{
    QLinearGradient gold(0, top, 0, bottom);
    gold.setColorAt(0.0, QColor(255, 244, 190));
    gold.setColorAt(0.5, QColor(232, 178, 60));
    gold.setColorAt(1.0, QColor(160, 104, 28));
    return gold;
}

void paintStanchion(QPainter &painter, QPointF base)
{
    painter.fillRect(QRectF(base.x() - 5, base.y() - 150, 10, 150), goldGradient(base.y() - 150, base.y()));
    painter.setBrush(goldGradient(base.y() - 164, base.y() - 144));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(base.x(), base.y() - 154), 11, 11);
    painter.drawEllipse(QRectF(base.x() - 30, base.y() - 8, 60, 14));
}

QImage classicShow()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    paintGround(painter, QRectF(0, 0, kWidth, 400), QColor(34, 28, 44), QColor(14, 12, 20));

    // Banner hanging from the hall's ceiling.
    const QRectF banner(212, 46, 600, 84);
    painter.setPen(QPen(QColor(120, 120, 120), 2));
    painter.drawLine(QPointF(banner.left() + 40, 0), banner.topLeft() + QPointF(40, 0));
    painter.drawLine(QPointF(banner.right() - 40, 0), banner.topRight() - QPointF(40, 0));
    paintGround(painter, banner, QColor(130, 16, 24), QColor(70, 6, 12));
    painter.fillRect(QRectF(banner.left(), banner.top() + 6, banner.width(), 2), goldGradient(0, 1));
    painter.fillRect(QRectF(banner.left(), banner.bottom() - 8, banner.width(), 2), goldGradient(0, 1));
    const QFont font = pictureFont(QStringLiteral("DejaVu Serif"), 38, QFont::Bold);
    paintLettering(painter, textPath(text("CLASSIC DRAVIK SHOW"), font, banner.center(), Qt::AlignCenter),
                   {.fill = goldGradient(banner.top() + 20, banner.bottom() - 20),
                    .outline = QColor(50, 10, 4),
                    .outlineWidth = 1.0,
                    .shadow = QColor(0, 0, 0, 180)});

    // Two more show cars in the dim background.
    paintCarSilhouette(painter, CarEra::Fifties, {.ground = QPointF(150, 402), .length = 330, .facingLeft = true},
                       QColor(52, 46, 62));
    paintCarSilhouette(painter, CarEra::Wedge, {.ground = QPointF(880, 402), .length = 320}, QColor(52, 46, 62));

    paintGround(painter, QRectF(0, 400, kWidth, 220), QColor(70, 24, 30), QColor(22, 8, 10));
    QRadialGradient podiumLight(QPointF(512, 560), 470);
    podiumLight.setColorAt(0.0, QColor(255, 240, 210, 90));
    podiumLight.setColorAt(1.0, QColor(255, 240, 210, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(podiumLight);
    painter.drawEllipse(QPointF(512, 560), 470, 70);
    QLinearGradient podium(0, 530, 0, 600);
    podium.setColorAt(0.0, QColor(190, 190, 196));
    podium.setColorAt(1.0, QColor(70, 70, 76));
    painter.setBrush(podium);
    painter.drawEllipse(QPointF(512, 566), 450, 36);

    const CarLook look{.era = CarEra::Sixties, .paint = QColor(172, 16, 30)};
    const CarPlacement placement{.ground = QPointF(512, 562), .length = 720};
    paintCarReflection(painter, look, placement, 0.2);
    paintCar(painter, look, placement);

    // Spotlight beams from the ceiling.
    for (const qreal x : {200.0, 512.0, 824.0}) {
        QPainterPath beam;
        beam.moveTo(x - 14, 0);
        beam.lineTo(x + 14, 0);
        beam.lineTo(x + 190, 580);
        beam.lineTo(x - 190, 580);
        beam.closeSubpath();
        QLinearGradient fade(0, 0, 0, 580);
        fade.setColorAt(0.0, QColor(255, 246, 220, 70));
        fade.setColorAt(1.0, QColor(255, 246, 220, 0));
        painter.fillPath(beam, fade);
    }
    paintStanchion(painter, QPointF(40, 612));
    paintStanchion(painter, QPointF(984, 612));
    QPainterPath rope;
    rope.moveTo(40, 462);
    rope.quadTo(-20, 540, -60, 470);
    rope.moveTo(984, 462);
    rope.quadTo(1044, 540, 1090, 470);
    painter.strokePath(rope, QPen(QColor(150, 10, 20), 9, Qt::SolidLine, Qt::RoundCap));
    return photo;
}

QImage customCar()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSky(painter, QRectF(0, 0, kWidth, 420), TimeOfDay::Dusk);
    painter.fillRect(QRectF(0, 0, kWidth, 420), QColor(10, 0, 40, 120)); // later in the evening
    paintStars(painter, QRectF(0, 0, kWidth, 140), 50, 101);

    // A roadside diner with lit windows and a neon sign.
    const QRectF diner(30, 236, 470, 184);
    paintGround(painter, diner, QColor(210, 206, 196), QColor(150, 146, 140));
    painter.fillRect(QRectF(diner.left(), diner.top() + 110, diner.width(), 14), QColor(200, 30, 40));
    painter.fillRect(QRectF(diner.left() - 10, diner.top() - 14, diner.width() + 20, 16), QColor(70, 70, 80));
    for (int pane = 0; pane < 6; ++pane)
        painter.fillRect(QRectF(diner.left() + 24 + pane * 72, diner.top() + 30, 56, 70), QColor(255, 222, 130));
    const QFont neon = pictureFont(QStringLiteral("DejaVu Sans"), 58, QFont::Bold, true);
    const QPainterPath sign = textPath(text("DINER"), neon, QPointF(265, 190), Qt::AlignCenter);
    painter.strokePath(sign, QPen(QColor(255, 60, 160, 60), 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.strokePath(sign, QPen(QColor(255, 80, 180, 120), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.strokePath(sign, QPen(QColor(255, 210, 240), 2.5));
    paintStreetLamp(painter, QPointF(900, 430), 300, true);

    // Parking lot with slanted bay lines.
    paintGround(painter, QRectF(0, 420, kWidth, 200), QColor(58, 54, 64), QColor(26, 24, 30));
    painter.setPen(QPen(QColor(230, 230, 220, 150), 4));
    for (qreal x = -40; x < kWidth + 100; x += 150)
        painter.drawLine(QPointF(x, 430), QPointF(x - 60, 470));
    paintCar(painter, {.era = CarEra::Fifties, .paint = QColor(22, 22, 28), .flames = true, .lightsOn = true},
             {.ground = QPointF(560, 566), .length = 740});
    return photo;
}

void paintArrowhead(QPainter &painter, QPointF tip, QPointF from)
{
    const QLineF back(tip, from);
    const qreal angle = qDegreesToRadians(back.angle());
    QPainterPath head;
    head.moveTo(tip);
    for (const qreal side : {0.35, -0.35})
        head.lineTo(tip + 12 * QPointF(std::cos(angle + side), -std::sin(angle + side)));
    head.closeSubpath();
    painter.fillPath(head, painter.pen().color());
}

// A measurement between two points, its value written beside the middle.
void paintDimension(QPainter &painter, QPointF from, QPointF to, const QString &label, const QFont &font)
{
    painter.drawLine(from, to);
    paintArrowhead(painter, from, to);
    paintArrowhead(painter, to, from);
    const QPointF middle = (from + to) / 2;
    const bool vertical = std::abs(to.x() - from.x()) < 1;
    const QPointF anchor = vertical ? middle + QPointF(10, 0) : middle - QPointF(0, 8);
    painter.fillPath(
        textPath(label, font, anchor, vertical ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignHCenter | Qt::AlignBottom),
        painter.pen().color());
}

QImage prototypeDrawing()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient paper(QPointF(512, 300), 700);
    paper.setColorAt(0.0, QColor(30, 78, 160));
    paper.setColorAt(1.0, QColor(14, 46, 112));
    painter.fillRect(photo.rect(), paper);
    for (int x = 0; x < kDemoPhotoWidth; x += 16)
        painter.fillRect(QRectF(x, 0, 1, kHeight), QColor(255, 255, 255, x % 80 == 0 ? 60 : 22));
    for (int y = 0; y < kDemoPhotoHeight; y += 16)
        painter.fillRect(QRectF(0, y, kWidth, 1), QColor(255, 255, 255, y % 80 == 0 ? 60 : 22));

    const QColor ink(236, 244, 255);
    const CarPlacement placement{.ground = QPointF(470, 420), .length = 720};
    const qreal scale = placement.length / 1000;
    const auto toPicture = [&](QPointF car) { return placement.ground + (car - QPointF(500, 0)) * scale; };
    QPen dashed(withAlpha(ink, 170), 1.5, Qt::DashDotLine);
    painter.setPen(dashed);
    painter.drawLine(QPointF(60, 420), QPointF(900, 420)); // ground line
    paintCarDrawing(painter, CarEra::Modern, placement, ink);

    const CarOutline car = carOutline(CarEra::Modern, false);
    const QFont small = pictureFont(QStringLiteral("DejaVu Sans Mono"), 15, QFont::Bold);
    painter.setPen(QPen(ink, 1.4));
    const QPointF rear = toPicture(car.rearWheel);
    const QPointF front = toPicture(car.frontWheel);
    for (const QPointF &axle : {rear, front})
        painter.drawLine(axle - QPointF(0, 50), QPointF(axle.x(), 488));
    paintDimension(painter, QPointF(rear.x(), 478), QPointF(front.x(), 478), text("WHEELBASE 2 650"), small);
    painter.drawLine(QPointF(110, 428), QPointF(110, 540));
    painter.drawLine(QPointF(830, 428), QPointF(830, 540));
    paintDimension(painter, QPointF(110, 530), QPointF(830, 530), text("4 380"), small);
    const qreal roof = toPicture(QPointF(0, car.cabin.boundingRect().top())).y();
    painter.drawLine(QPointF(460, roof), QPointF(880, roof));
    paintDimension(painter, QPointF(870, roof), QPointF(870, 420), text("1 230"), small);

    // Front view, small, at the top right.
    const QPointF centre(900, 140);
    QPainterPath frontView;
    frontView.addRoundedRect(QRectF(centre.x() - 66, centre.y() - 4, 132, 44), 14, 14);
    frontView.moveTo(centre.x() - 50, centre.y() - 4);
    frontView.lineTo(centre.x() - 36, centre.y() - 52);
    frontView.lineTo(centre.x() + 36, centre.y() - 52);
    frontView.lineTo(centre.x() + 50, centre.y() - 4);
    frontView.addRect(QRectF(centre.x() - 62, centre.y() + 30, 20, 26));
    frontView.addRect(QRectF(centre.x() + 42, centre.y() + 30, 20, 26));
    frontView.addEllipse(QRectF(centre.x() - 56, centre.y() + 8, 26, 12));
    frontView.addEllipse(QRectF(centre.x() + 30, centre.y() + 8, 26, 12));
    painter.setPen(QPen(ink, 2));
    painter.drawPath(frontView);
    painter.setPen(QPen(withAlpha(ink, 170), 1.5, Qt::DashDotLine));
    painter.drawLine(QPointF(centre.x(), centre.y() - 70), QPointF(centre.x(), centre.y() + 66));

    const QFont note = pictureFont(QStringLiteral("DejaVu Sans"), 17, QFont::Normal, true);
    painter.fillPath(textPath(text("lower the roof line?"), note, QPointF(300, 200), Qt::AlignLeft | Qt::AlignBottom),
                     ink);
    painter.setPen(QPen(ink, 1.4));
    painter.drawLine(QPointF(390, 206), QPointF(420, 236));
    paintArrowhead(painter, QPointF(420, 236), QPointF(390, 206));
    painter.fillPath(
        textPath(text("FRONT VIEW"), small, QPointF(centre.x(), centre.y() + 74), Qt::AlignHCenter | Qt::AlignTop),
        ink);

    // Title block.
    const QRectF block(664, 540, 340, 66);
    painter.setPen(QPen(ink, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(block);
    painter.drawLine(QPointF(block.left(), block.top() + 34), QPointF(block.right(), block.top() + 34));
    painter.drawLine(QPointF(block.left() + 170, block.top() + 34), QPointF(block.left() + 170, block.bottom()));
    const QFont title = pictureFont(QStringLiteral("DejaVu Sans Mono"), 20, QFont::Bold);
    painter.fillPath(
        textPath(text("DRAVIK PROTOTYPE"), title, QPointF(block.center().x(), block.top() + 17), Qt::AlignCenter), ink);
    painter.fillPath(
        textPath(text("SHEET 3 OF 7"), small, QPointF(block.left() + 85, block.top() + 50), Qt::AlignCenter), ink);
    painter.fillPath(
        textPath(text("SCALE 1:10"), small, QPointF(block.left() + 255, block.top() + 50), Qt::AlignCenter), ink);
    return photo;
}

QImage calendarPage()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int x = 0; x < kDemoPhotoWidth; x += 24)
        painter.fillRect(QRectF(x, 0, 24, kHeight), (x / 24) % 2 == 0 ? QColor(232, 222, 196) : QColor(222, 210, 182));

    const QRectF page(232, 64, 560, 536);
    painter.fillRect(page.translated(8, 10), QColor(0, 0, 0, 50));
    painter.fillRect(page, QColor(250, 250, 246));

    // The hanging cord, the nail and the wire binding.
    painter.setPen(QPen(QColor(60, 50, 40), 2));
    painter.drawLine(QPointF(512, 26), QPointF(page.left() + 120, page.top() + 4));
    painter.drawLine(QPointF(512, 26), QPointF(page.right() - 120, page.top() + 4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 90, 96));
    painter.drawEllipse(QPointF(512, 26), 6, 6);
    for (qreal x = page.left() + 20; x < page.right() - 10; x += 18) {
        painter.setBrush(QColor(60, 60, 60));
        painter.drawEllipse(QPointF(x, page.top() + 14), 3.5, 3.5);
        painter.setPen(QPen(QColor(160, 160, 168), 2.5));
        painter.drawArc(QRectF(x - 5, page.top() - 6, 10, 22), 0, 180 * 16);
        painter.setPen(Qt::NoPen);
    }

    const QRectF picture(page.left() + 24, page.top() + 32, page.width() - 48, 282);
    painter.save();
    painter.setClipRect(picture);
    paintSky(painter, picture, TimeOfDay::Day);
    paintClouds(painter, QRectF(picture.left(), picture.top() + 20, picture.width(), 60), 3, Qt::white,
                QColor(200, 210, 226), 606);
    paintHills(painter, QRectF(picture.left(), picture.top() + 120, picture.width(), 110), picture.top() + 170, 26,
               QColor(70, 136, 66), 607);
    paintRoad(painter, QRectF(picture.left(), picture.top() + 200, picture.width(), 82), QColor(90, 92, 96),
              QColor(240, 240, 230));
    paintCar(painter, {.era = CarEra::Sixties, .paint = QColor(28, 70, 160)},
             {.ground = QPointF(picture.center().x(), picture.top() + 262), .length = 430});
    painter.restore();

    const QFont month = pictureFont(QStringLiteral("DejaVu Serif"), 34, QFont::Bold);
    painter.fillPath(textPath(text("JUNE"), month, QPointF(512, page.top() + 336), Qt::AlignHCenter | Qt::AlignTop),
                     QColor(40, 40, 48));
    const QFont label = pictureFont(QStringLiteral("DejaVu Sans"), 14, QFont::Bold);
    const QFont day = pictureFont(QStringLiteral("DejaVu Sans"), 17, QFont::Normal);
    const char *const weekdays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    const qreal cellWidth = 70;
    const qreal left = 512 - 3.5 * cellWidth;
    const qreal headerY = page.top() + 392;
    for (int column = 0; column < 7; ++column) {
        painter.fillPath(textPath(text(weekdays[column]), label, QPointF(left + (column + 0.5) * cellWidth, headerY),
                                  Qt::AlignCenter),
                         column == 6 ? QColor(200, 20, 30) : QColor(80, 80, 90));
    }
    constexpr int kFirstColumn = 4; // the month starts on a Friday
    for (int date = 1; date <= 30; ++date) {
        const int cell = kFirstColumn + date - 1;
        const int column = cell % 7;
        const int row = cell / 7;
        const QPointF at(left + (column + 0.5) * cellWidth, headerY + 26 + row * 24);
        painter.fillPath(textPath(QString::number(date), day, at, Qt::AlignCenter),
                         column == 6 ? QColor(200, 20, 30) : QColor(40, 40, 48));
    }
    return photo;
}

QImage metalSign()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);

    // Weathered wooden boards behind the sign.
    Scatter grain(701);
    for (int board = 0; board * 128 < kDemoPhotoWidth; ++board) {
        const QRectF plank(board * 128.0, 0, 124, kHeight);
        const QColor wood = blend(QColor(120, 82, 52), QColor(90, 60, 38), grain.uniform(0, 1));
        paintGround(painter, plank, blend(wood, Qt::white, 0.08), blend(wood, Qt::black, 0.2));
        painter.setPen(QPen(withAlpha(blend(wood, Qt::black, 0.4), 90), 1.5));
        for (int line = 0; line < 9; ++line) {
            const qreal x = plank.left() + grain.uniform(6, 118);
            QPainterPath vein;
            vein.moveTo(x, 0);
            vein.cubicTo(x + grain.uniform(-8, 8), 200, x + grain.uniform(-8, 8), 400, x, kHeight);
            painter.drawPath(vein);
        }
        painter.fillRect(QRectF(plank.right(), 0, 4, kHeight), QColor(30, 20, 12));
    }

    const QRectF sign(142, 70, 740, 480);
    QPainterPath plate;
    plate.addRoundedRect(sign, 30, 30);
    painter.fillPath(plate.translated(10, 12), QColor(0, 0, 0, 110));
    QLinearGradient enamel(sign.topLeft(), sign.bottomRight());
    enamel.setColorAt(0.0, QColor(246, 236, 202));
    enamel.setColorAt(1.0, QColor(218, 200, 160));
    painter.fillPath(plate, enamel);
    painter.strokePath(plate, QPen(QColor(150, 20, 22), 20));
    QPainterPath inner;
    inner.addRoundedRect(sign.adjusted(24, 24, -24, -24), 18, 18);
    painter.strokePath(inner, QPen(QColor(150, 20, 22), 3));

    const QFont big = pictureFont(QStringLiteral("DejaVu Serif"), 88, QFont::Black);
    paintLettering(painter, textPath(text("DRAVIK"), big, QPointF(512, 104), Qt::AlignHCenter | Qt::AlignTop),
                   {.fill = QColor(176, 22, 26),
                    .outline = QColor(60, 10, 10),
                    .outlineWidth = 1.5,
                    .shadow = QColor(0, 0, 0, 60),
                    .shadowOffset = QPointF(3, 3)});
    paintCar(painter, {.era = CarEra::Fifties, .paint = QColor(36, 88, 150), .stripe = QColor(240, 232, 210)},
             {.ground = QPointF(512, 424), .length = 540});
    const QFont line = pictureFont(QStringLiteral("DejaVu Sans"), 26, QFont::Bold);
    painter.fillPath(
        textPath(text("MOTOR CARS  -  SALES & SERVICE"), line, QPointF(512, 480), Qt::AlignHCenter | Qt::AlignTop),
        QColor(44, 34, 30));

    // Rust and chips, mostly along the edges.
    Scatter wear(702);
    painter.save();
    painter.setClipPath(plate);
    painter.setPen(Qt::NoPen);
    for (int spot = 0; spot < 140; ++spot) {
        const bool nearEdge = wear.chance(0.8);
        QPointF at(wear.uniform(sign.left(), sign.right()), wear.uniform(sign.top(), sign.bottom()));
        if (nearEdge) {
            at = wear.chance(0.5)
                ? QPointF(at.x(),
                          wear.chance(0.5) ? sign.top() + wear.uniform(0, 30) : sign.bottom() - wear.uniform(0, 30))
                : QPointF(wear.chance(0.5) ? sign.left() + wear.uniform(0, 30) : sign.right() - wear.uniform(0, 30),
                          at.y());
        }
        const qreal r = wear.uniform(2, 11);
        painter.setBrush(QColor(126, 66, 28, static_cast<int>(wear.uniform(60, 170))));
        painter.drawEllipse(at, r, r * wear.uniform(0.5, 1.0));
    }
    painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
    for (int scratch = 0; scratch < 30; ++scratch) {
        const QPointF at(wear.uniform(sign.left(), sign.right()), wear.uniform(sign.top(), sign.bottom()));
        painter.drawLine(at, at + QPointF(wear.uniform(-40, 40), wear.uniform(-10, 10)));
    }
    painter.restore();

    for (const QPointF &rivet : {QPointF(182, 110), QPointF(842, 110), QPointF(182, 510), QPointF(842, 510)}) {
        QRadialGradient head(rivet, 9, rivet - QPointF(3, 3));
        head.setColorAt(0.0, QColor(250, 250, 250));
        head.setColorAt(1.0, QColor(90, 90, 96));
        painter.setPen(Qt::NoPen);
        painter.setBrush(head);
        painter.drawEllipse(rivet, 9, 9);
    }
    return photo;
}

// A stamp's outline: a rectangle with round perforation holes bitten out of its edges.
QPainterPath perforatedEdge(const QRectF &stamp, qreal holeRadius, qreal pitch)
{
    QPainterPath outline;
    outline.addRect(stamp);
    QPainterPath holes;
    for (qreal x = stamp.left(); x <= stamp.right() + 0.5; x += pitch) {
        holes.addEllipse(QPointF(x, stamp.top()), holeRadius, holeRadius);
        holes.addEllipse(QPointF(x, stamp.bottom()), holeRadius, holeRadius);
    }
    for (qreal y = stamp.top(); y <= stamp.bottom() + 0.5; y += pitch) {
        holes.addEllipse(QPointF(stamp.left(), y), holeRadius, holeRadius);
        holes.addEllipse(QPointF(stamp.right(), y), holeRadius, holeRadius);
    }
    return outline.subtracted(holes);
}

QImage postageStamp()
{
    QImage photo = blankDemoPhoto();
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    paintGround(painter, photo.rect(), QColor(240, 232, 212), QColor(222, 210, 186));
    painter.setPen(QPen(QColor(150, 140, 120, 90), 2));
    for (int row = 0; row < 3; ++row) {
        painter.drawLine(QPointF(90, 520 + row * 34), QPointF(420, 520 + row * 34)); // address lines
    }

    const QRectF stamp(206, 74, 612, 442);
    const QPainterPath paper = perforatedEdge(stamp, 9, 26);
    painter.fillPath(paper.translated(6, 8), QColor(0, 0, 0, 60));
    painter.fillPath(paper, QColor(252, 250, 242));

    const QRectF picture = stamp.adjusted(34, 34, -34, -90);
    painter.save();
    painter.setClipRect(picture);
    paintSky(painter, picture, TimeOfDay::Dusk);
    paintSun(painter, QPointF(picture.left() + 120, picture.top() + 200), 22, QColor(255, 196, 100));
    paintHills(painter, QRectF(picture.left(), picture.top() + 150, picture.width(), 90), picture.top() + 196, 18,
               QColor(90, 50, 80), 801);
    paintRoad(painter, QRectF(picture.left(), picture.top() + 222, picture.width(), 96), QColor(70, 60, 70),
              QColor(250, 220, 160));
    paintCar(painter, {.era = CarEra::Sixties, .paint = QColor(232, 110, 30)},
             {.ground = QPointF(picture.center().x() + 10, picture.top() + 288), .length = 470, .facingLeft = true});
    painter.restore();
    painter.setPen(QPen(QColor(60, 40, 40), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(picture);

    const QFont value = pictureFont(QStringLiteral("DejaVu Serif"), 46, QFont::Bold);
    paintLettering(painter,
                   textPath(text("45"), value, picture.topLeft() + QPointF(14, 10), Qt::AlignLeft | Qt::AlignTop),
                   {.fill = Qt::white, .outline = QColor(60, 20, 20), .outlineWidth = 1.5});
    const QFont name = pictureFont(QStringLiteral("DejaVu Serif"), 34, QFont::Bold);
    painter.fillPath(
        textPath(text("DRAVIK POST"), name, QPointF(stamp.center().x(), picture.bottom() + 46), Qt::AlignCenter),
        QColor(120, 24, 30));

    // Postmark over the right-hand edge.
    const QColor postmarkInk(36, 36, 60, 150);
    const QPointF mark(800, 170);
    painter.setPen(QPen(postmarkInk, 3));
    painter.drawEllipse(mark, 78, 78);
    painter.drawEllipse(mark, 56, 56);
    const QFont date = pictureFont(QStringLiteral("DejaVu Sans"), 18, QFont::Bold);
    painter.fillPath(textPath(text("12 VI 01"), date, mark, Qt::AlignCenter), postmarkInk);
    for (int wave = 0; wave < 5; ++wave) {
        QPainterPath line;
        const qreal y = mark.y() - 44 + wave * 22;
        line.moveTo(880, y);
        for (qreal x = 880; x < kWidth + 20; x += 10)
            line.lineTo(x, y + 7 * std::sin((x - 880) / 18));
        painter.drawPath(line);
    }
    return photo;
}

} // namespace

QImage categoryPhoto(PhotoCategory category)
{
    switch (category) {
    case PhotoCategory::ClassicShow:
        return classicShow();
    case PhotoCategory::CustomCar:
        return customCar();
    case PhotoCategory::Prototype:
        return prototypeDrawing();
    case PhotoCategory::Calendar:
        return calendarPage();
    case PhotoCategory::MetalSign:
        return metalSign();
    case PhotoCategory::Stamp:
        return postageStamp();
    }
    return {};
}
