#pragma once

#include <QRect>
#include <QRectF>

class QWidget;

// Maps a box in twips onto the pixel grid. Edges are rounded rather than the size, so two
// elements that overlap or touch in twips still do so in pixels.
QRect PixelRectFromTwips(const QRectF &twips, float twipsPerPixel);

// Position and size of a window element in single-precision twips, relative to its
// container, at the twips per pixel of the screen it is on. The exact values written are
// kept, so fractional positions read back as written; the widget itself sits on the nearest
// pixels. An element inside a panel is a child widget of it and so moves with it.
namespace Element {

float Left(const QWidget &element);
float Top(const QWidget &element);
float Width(const QWidget &element);
float Height(const QWidget &element);

void setLeft(QWidget &element, float twips);
void setTop(QWidget &element, float twips);
void setGeometry(QWidget &element, float left, float top, float width, float height);

} // namespace Element
