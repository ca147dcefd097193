#include "Element.h"

#include "Screen.h"
#include "TwipsGrid.h"

#include <QVariant>
#include <QWidget>

namespace {

constexpr char kTwipsProperty[] = "dravikTwipsGeometry";

QRectF twipsOf(const QWidget &element)
{
    const QVariant stored = element.property(kTwipsProperty);
    if (stored.isValid())
        return stored.toRectF();
    // Never placed in twips: derive from where the widget actually is.
    const double factor = TwipsPerPixel();
    const QRect pixels = element.geometry();
    return QRectF(pixels.x() * factor, pixels.y() * factor, pixels.width() * factor, pixels.height() * factor);
}

void place(QWidget &element, const QRectF &twips)
{
    element.setProperty(kTwipsProperty, twips);
    element.setGeometry(PixelRectFromTwips(twips, TwipsPerPixel()));
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

namespace Element {

float Left(const QWidget &element) { return static_cast<float>(twipsOf(element).left()); }
float Top(const QWidget &element) { return static_cast<float>(twipsOf(element).top()); }
float Width(const QWidget &element) { return static_cast<float>(twipsOf(element).width()); }
float Height(const QWidget &element) { return static_cast<float>(twipsOf(element).height()); }

void setLeft(QWidget &element, float twips)
{
    reshape(element, [twips](QRectF &box) { box.moveLeft(twips); });
}

void setTop(QWidget &element, float twips)
{
    reshape(element, [twips](QRectF &box) { box.moveTop(twips); });
}

void setWidth(QWidget &element, float twips)
{
    reshape(element, [twips](QRectF &box) { box.setWidth(twips); });
}

void setHeight(QWidget &element, float twips)
{
    reshape(element, [twips](QRectF &box) { box.setHeight(twips); });
}

void setGeometry(QWidget &element, float left, float top, float width, float height)
{
    place(element, QRectF(left, top, width, height));
}

} // namespace Element
