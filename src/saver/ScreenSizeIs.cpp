#include "ScreenSizeIs.h"

#include "CheckedArithmetic.h"
#include "Screen.h"

namespace {

constexpr qint32 kAssumedTwipsPerPixel = 15;

} // namespace

ScreenTwips PrimaryScreenTwips()
{
    return {ScreenWidthTwips, ScreenHeightTwips};
}

bool ScreenSizeIs(qint32 width, qint32 height, const ScreenTwips &screen)
{
    const qint32 widthTwips = CheckedMultiply(width, kAssumedTwipsPerPixel, QStringLiteral("ScreenSizeIs width * 15"));
    const qint32 heightTwips = CheckedMultiply(height, kAssumedTwipsPerPixel, QStringLiteral("ScreenSizeIs height * 15"));
    if (double(screen.width()) != double(widthTwips))
        return false;
    return double(screen.height()) == double(heightTwips);
}
