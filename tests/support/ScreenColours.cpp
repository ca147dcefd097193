#include "ScreenColours.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdlib>

namespace ScreenColours {

bool IsColour(QRgb pixel, const QColor &expected, int tolerance)
{
    return std::abs(qRed(pixel) - expected.red()) <= tolerance
        && std::abs(qGreen(pixel) - expected.green()) <= tolerance
        && std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

QString AreaColourProblem(const QImage &shot, const QRect &area, const QColor &expected, const QString &what, int step)
{
    if (shot.isNull())
        return QStringLiteral("no screenshot");
    int points = 0;
    int wrong = 0;
    QString example;
    for (int y = area.top() + step / 2; y <= area.bottom(); y += step) {
        for (int x = area.left() + step / 2; x <= area.right(); x += step) {
            ++points;
            const QRgb pixel = shot.valid(x, y) ? shot.pixel(x, y) : qRgb(255, 0, 255);
            if (!IsColour(pixel, expected, 16) && wrong++ == 0)
                example = QStringLiteral("(%1,%2) is %3").arg(x).arg(y).arg(QColor(pixel).name());
        }
    }
    if (wrong == 0)
        return {};
    return QStringLiteral("%1: %2 of %3 points across %4x%5+%6+%7 are not %8, e.g. %9")
        .arg(what)
        .arg(wrong)
        .arg(points)
        .arg(area.width())
        .arg(area.height())
        .arg(area.x())
        .arg(area.y())
        .arg(expected.name(), example);
}

double ShareInColour(const QImage &image, const QRect &area, const QColor &expected, int tolerance)
{
    const QRect inside = area & image.rect();
    if (inside.isEmpty())
        return 0.0;
    int matching = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            matching += IsColour(image.pixel(x, y), expected, tolerance) ? 1 : 0;
    }
    return double(matching) / (qint64(inside.width()) * inside.height());
}

QImage Grab(const QRect &area)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

double ShareOfScreenInColour(const QRect &area, const QColor &expected, int tolerance)
{
    const QImage shot = Grab(area);
    return ShareInColour(shot, shot.rect(), expected, tolerance);
}

} // namespace ScreenColours
