#include "platform/desktop/ElementPlacement.h"

#include "platform/desktop/Screen.h"

#include <QVariant>
#include <QWidget>

#include <cmath>

namespace {

int toPixel(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

constexpr char kTwipsProperty[] = "dravikTwipsGeometry";

float twipsPerPixelOf(const QWidget &element)
{
    return Screen::of(element).twipsPerPixel();
}

QRectF twipsOf(const QWidget &element)
{
    const QVariant stored = element.property(kTwipsProperty);
    if (stored.isValid())
        return stored.toRectF();
    // Never placed in twips: derive from where the widget actually is.
    const double factor = twipsPerPixelOf(element);
    const QRect pixels = element.geometry();
    return QRectF(pixels.x() * factor, pixels.y() * factor, pixels.width() * factor, pixels.height() * factor);
}

void place(QWidget &element, const QRectF &twips)
{
    element.setProperty(kTwipsProperty, twips);
    element.setGeometry(PixelRectFromTwips(twips, twipsPerPixelOf(element)));
}

// Changes one side of the box as stored, so the other values keep their exact twips.
template <typename Change>
void reshape(QWidget &element, Change change)
{
    QRectF box = twipsOf(element);
    change(box);
    place(element, box);
}

} // namespace

QRect PixelRectFromTwips(const QRectF &twips, float twipsPerPixel)
{
    const int left = toPixel(twips.left(), twipsPerPixel);
    const int top = toPixel(twips.top(), twipsPerPixel);
    const int right = toPixel(twips.left() + twips.width(), twipsPerPixel);
    const int bottom = toPixel(twips.top() + twips.height(), twipsPerPixel);
    return QRect(left, top, right - left, bottom - top);
}

namespace Element {

float Left(const QWidget &element)
{
    return static_cast<float>(twipsOf(element).left());
}
float Top(const QWidget &element)
{
    return static_cast<float>(twipsOf(element).top());
}
float Width(const QWidget &element)
{
    return static_cast<float>(twipsOf(element).width());
}
float Height(const QWidget &element)
{
    return static_cast<float>(twipsOf(element).height());
}

void setLeft(QWidget &element, float twips)
{
    reshape(element, [twips](QRectF &box) { box.moveLeft(twips); });
}

void setTop(QWidget &element, float twips)
{
    reshape(element, [twips](QRectF &box) { box.moveTop(twips); });
}

void setGeometry(QWidget &element, float left, float top, float width, float height)
{
    place(element, QRectF(left, top, width, height));
}

} // namespace Element
