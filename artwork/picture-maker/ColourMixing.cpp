#include "ColourMixing.h"

#include <algorithm>
#include <cmath>

QColor blend(const QColor &from, const QColor &to, qreal amount)
{
    const qreal t = std::clamp(amount, 0.0, 1.0);
    const auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()),
                  mix(from.alpha(), to.alpha()));
}

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(std::clamp(alpha, 0, 255));
    return colour;
}
