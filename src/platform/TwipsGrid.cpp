#include "TwipsGrid.h"

#include <cmath>

namespace {

int toPixel(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
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
