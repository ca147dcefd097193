#pragma once

#include <QRect>
#include <QRectF>

// Maps a box in twips onto the pixel grid. Edges are rounded rather than the size, so two
// elements that overlap or touch in twips still do so in pixels.
QRect PixelRectFromTwips(const QRectF &twips, float twipsPerPixel);
