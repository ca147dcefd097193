#include "ResourcePictures.h"

#include "CarPainter.h"
#include "IconPainter.h"
#include "ImageOutput.h"
#include "Landscape.h"
#include "Lettering.h"
#include "Road.h"
#include "Sky.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>

namespace {

// The saver shows this photograph until the first photo of the collection replaces it.
QImage openingPhoto()
{
    QImage photo(776, 470, QImage::Format_RGB32);
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSky(painter, QRectF(0, 0, 776, 300), TimeOfDay::Dusk);
    paintSun(painter, QPointF(190, 282), 24, QColor(255, 190, 90));
    paintClouds(painter, QRectF(0, 110, 776, 120), 5, QColor(255, 196, 170), QColor(120, 70, 110), 2001);
    paintMountains(painter, QRectF(470, 150, 400, 150), 300, 124, QColor(74, 44, 80), QColor(), 77);
    paintWater(painter, QRectF(0, 294, 776, 58), QColor(250, 172, 120), QColor(60, 50, 100), 190, QColor(255, 224, 160),
               3);
    paintGround(painter, QRectF(0, 352, 776, 22), QColor(122, 82, 72), QColor(82, 52, 60));
    paintRoad(painter, QRectF(0, 374, 776, 96), QColor(62, 56, 68), QColor(240, 220, 180));
    paintCar(painter, {.era = CarEra::Modern, .paint = QColor(176, 18, 30), .lightsOn = true},
             {.ground = QPointF(410, 446), .length = 540, .facingLeft = true});

    const QFont font = pictureFont(QStringLiteral("DejaVu Serif"), 46, QFont::Bold, true);
    QLinearGradient gold(0, 36, 0, 86);
    gold.setColorAt(0.0, QColor(255, 246, 196));
    gold.setColorAt(0.5, QColor(236, 184, 64));
    gold.setColorAt(1.0, QColor(170, 110, 30));
    paintLettering(painter, textPath(QStringLiteral("The Dravik Quintavel"), font, QPointF(388, 62), Qt::AlignCenter),
                   {gold, QColor(60, 20, 10), 1.5, QColor(0, 0, 0, 170), QPointF(3, 3)});
    return photo;
}

// The strip under the caption bar, seen on the saver's black background.
QImage banner()
{
    QImage strip(606, 72, QImage::Format_RGB32);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, 72);
    ground.setColorAt(0.0, QColor(70, 12, 14));
    ground.setColorAt(0.5, QColor(34, 4, 6));
    ground.setColorAt(1.0, QColor(12, 0, 0));
    painter.fillRect(strip.rect(), ground);

    QLinearGradient gold(0, 10, 0, 62);
    gold.setColorAt(0.0, QColor(255, 244, 190));
    gold.setColorAt(0.5, QColor(232, 178, 60));
    gold.setColorAt(1.0, QColor(160, 104, 28));
    painter.fillRect(QRectF(0, 4, 606, 2), gold);
    painter.fillRect(QRectF(0, 66, 606, 2), gold);

    paintCarSilhouette(painter, CarEra::Modern, {.ground = QPointF(64, 55), .length = 100}, gold);

    const QFont font = pictureFont(QStringLiteral("DejaVu Serif"), 30, QFont::Bold, true);
    paintLettering(painter,
                   textPath(QStringLiteral("The Dravik Quintavel 2001"), font, QPointF(364, 36), Qt::AlignCenter),
                   {gold, QColor(40, 6, 4), 1.0, QColor(0, 0, 0, 200), QPointF(2, 2)});
    return strip;
}

// The picture at the top of the settings window, which has a white background.
QImage settingsPicture()
{
    QImage picture(452, 140, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSky(painter, QRectF(0, 0, 452, 100), TimeOfDay::Day);
    paintClouds(painter, QRectF(150, 10, 300, 40), 2, Qt::white, QColor(200, 210, 226), 140);
    paintMountains(painter, QRectF(0, 40, 452, 60), 98, 52, QColor(96, 112, 150), QColor(246, 248, 252), 452);
    paintHills(painter, QRectF(0, 80, 452, 22), 96, 6, QColor(70, 130, 64), 17);
    paintRoad(painter, QRectF(0, 102, 452, 38), QColor(84, 86, 92), QColor(240, 240, 230));
    paintCar(painter, {.era = CarEra::Modern, .paint = QColor(40, 96, 186)},
             {.ground = QPointF(318, 130), .length = 236, .facingLeft = true});

    const QFont font = pictureFont(QStringLiteral("DejaVu Sans"), 34, QFont::Bold, true);
    paintLettering(painter,
                   textPath(QStringLiteral("Dravik 2001"), font, QPointF(14, 14), Qt::AlignLeft | Qt::AlignTop),
                   {QColor(204, 16, 24), Qt::white, 1.5, QColor(0, 0, 0, 150), QPointF(2, 2)});
    return picture;
}

} // namespace

void writeResourcePictures(const QString &folder)
{
    const QDir out(folder);
    writeJpeg(openingPhoto(), out.filePath(QStringLiteral("photo.jpg")), 90);
    writeBmp24(banner(), out.filePath(QStringLiteral("banner.bmp")));
    writeBmp24(settingsPicture(), out.filePath(QStringLiteral("settings.bmp")));
    writeIcon16(iconImage(32, IconFinish::Palette16), out.filePath(QStringLiteral("dravik.ico")));
    writePng(iconImage(48, IconFinish::FullColour), out.filePath(QStringLiteral("dravik2001-48.png")));
    writePng(iconImage(256, IconFinish::FullColour), out.filePath(QStringLiteral("dravik2001-256.png")));
}
