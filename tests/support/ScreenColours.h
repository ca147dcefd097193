#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

// What colour a picture or the screen shows where a test looks.
namespace ScreenColours {

// Within a tolerance that JPEG's lossy colours need.
bool IsColour(QRgb pixel, const QColor &expected, int tolerance = 24);
// Empty when every point of a grid across the area (one every step pixels, half a step in
// from its edges) shows the colour; otherwise what was seen instead, naming the area as what.
QString AreaColourProblem(const QImage &shot, const QRect &area, const QColor &expected, const QString &what, int step);
// How much of the area (as far as it lies in the picture) shows the colour, from 0 to 1, every
// pixel counted.
double ShareInColour(const QImage &image, const QRect &area, const QColor &expected, int tolerance = 24);
// What the area of the primary screen shows (a real display only).
QImage Grab(const QRect &area);
// How much of the area of the primary screen shows the colour, from 0 to 1.
double ShareOfScreenInColour(const QRect &area, const QColor &expected, int tolerance = 24);

} // namespace ScreenColours
