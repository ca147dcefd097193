#include "IconPainter.h"

#include "IconPalette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// The design lives on a 32-unit grid, one unit a pixel of the small icon.
constexpr qreal kGrid = 32.0;
const QPointF kSunCentre(16, 13);
constexpr qreal kSunRadius = 12.5;
const QPointF kRearWheel(8.2, 24.6);
const QPointF kFrontWheel(24.4, 24.6);
constexpr qreal kWheelRadius = 3.9;

// The cut-out over a wheel; its upper half shows as the dark wheel well.
QRectF archRect(QPointF wheel)
{
    constexpr qreal kRadius = kWheelRadius + 0.9;
    return QRectF(wheel.x() - kRadius, wheel.y() - kRadius, 2 * kRadius, 2 * kRadius);
}

QPainterPath bodyPath()
{
    QPainterPath body;
    body.moveTo(1.5, 25);
    body.lineTo(1.5, 19.5);
    body.cubicTo(1.5, 17.2, 3, 16.6, 6, 16.2); // boot
    body.lineTo(9, 15.8);
    body.cubicTo(11.5, 11.5, 13.5, 9.5, 17.5, 9.5);   // rear window up to the roof
    body.cubicTo(20.5, 9.5, 22.5, 11.5, 24.5, 15);    // windscreen
    body.cubicTo(28.5, 15.6, 30.5, 16.6, 30.5, 19.5); // bonnet and nose
    body.lineTo(30.5, 25);
    body.closeSubpath();
    for (const QPointF &wheel : {kRearWheel, kFrontWheel}) {
        QPainterPath arch;
        arch.addEllipse(archRect(wheel));
        body = body.subtracted(arch);
    }
    return body;
}

QPainterPath windowsPath()
{
    QPainterPath windows;
    windows.moveTo(10.8, 15.6);
    windows.cubicTo(12.6, 12.4, 14.3, 11, 16.8, 11);
    windows.lineTo(16.8, 15.6);
    windows.closeSubpath();
    windows.moveTo(18.2, 11);
    windows.cubicTo(20.2, 11, 21.6, 12.6, 23, 15.4);
    windows.lineTo(18.2, 15.6);
    windows.closeSubpath();
    return windows;
}

// A pin stripe along the flank, stopping at the wheel arches.
QPainterPath stripePath(const QPainterPath &body, qreal thickness)
{
    QPainterPath stripe;
    stripe.addRect(QRectF(3, 20, 25, thickness));
    return stripe.intersected(body);
}

void paintPaletteIcon(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(iconColour(IconColour::Yellow));
    painter.drawEllipse(kSunCentre, kSunRadius, kSunRadius);

    const QPainterPath body = bodyPath();
    painter.fillPath(body, iconColour(IconColour::Red));
    painter.strokePath(body, QPen(iconColour(IconColour::Maroon), 1.0));
    painter.fillPath(stripePath(body, 1.0), iconColour(IconColour::White));
    painter.fillPath(windowsPath(), iconColour(IconColour::Aqua));
    painter.fillRect(QRectF(29, 18, 1.5, 2), iconColour(IconColour::Yellow));

    for (const QPointF &wheel : {kRearWheel, kFrontWheel}) {
        painter.setBrush(iconColour(IconColour::Maroon));
        painter.drawPie(archRect(wheel), 0, 180 * 16);
        painter.setBrush(iconColour(IconColour::Black));
        painter.drawEllipse(wheel, kWheelRadius, kWheelRadius);
        painter.setBrush(iconColour(IconColour::Silver));
        painter.drawEllipse(wheel, 1.7, 1.7);
    }
}

void paintFullColourIcon(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    QRadialGradient sun(kSunCentre, kSunRadius, kSunCentre - QPointF(3, 4));
    sun.setColorAt(0.0, QColor(255, 250, 200));
    sun.setColorAt(0.6, QColor(255, 214, 40));
    sun.setColorAt(1.0, QColor(244, 150, 20));
    painter.setBrush(sun);
    painter.drawEllipse(kSunCentre, kSunRadius, kSunRadius);

    const QPainterPath body = bodyPath();
    QLinearGradient paint(0, 9.5, 0, 25);
    paint.setColorAt(0.0, QColor(255, 120, 110));
    paint.setColorAt(0.45, QColor(222, 20, 24));
    paint.setColorAt(1.0, QColor(110, 0, 6));
    painter.fillPath(body, paint);
    painter.strokePath(body, QPen(QColor(96, 0, 0), 0.5));
    painter.fillPath(stripePath(body, 0.8), QColor(255, 255, 255, 220));

    QLinearGradient glass(0, 11, 0, 15.6);
    glass.setColorAt(0.0, QColor(210, 240, 255));
    glass.setColorAt(1.0, QColor(40, 110, 150));
    painter.fillPath(windowsPath(), glass);
    painter.setBrush(QColor(255, 250, 200));
    painter.drawRoundedRect(QRectF(28.8, 17.8, 1.7, 2.2), 0.6, 0.6);

    for (const QPointF &wheel : {kRearWheel, kFrontWheel}) {
        painter.setBrush(QColor(60, 8, 10));
        painter.drawPie(archRect(wheel), 0, 180 * 16);
        painter.setBrush(QColor(20, 20, 22));
        painter.drawEllipse(wheel, kWheelRadius, kWheelRadius);
        QRadialGradient hub(wheel, 2.0, wheel - QPointF(0.6, 0.8));
        hub.setColorAt(0.0, Qt::white);
        hub.setColorAt(1.0, QColor(130, 134, 140));
        painter.setBrush(hub);
        painter.drawEllipse(wheel, 2.0, 2.0);
    }
}

} // namespace

QImage iconImage(int size, IconFinish finish)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(size / kGrid, size / kGrid);
    if (finish == IconFinish::Palette16)
        paintPaletteIcon(painter);
    else
        paintFullColourIcon(painter);
    return image;
}
