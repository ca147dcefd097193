#include "saver/SaverLayout.h"

#include "platform/desktop/Screen.h"
#include "platform/runtime/RuntimeError.h"

namespace {

constexpr qint32 kAssumedTwipsPerPixel = 15;

} // namespace

ScreenTwips PrimaryScreenTwips()
{
    return {[] { return Screen().widthTwips(); }, [] { return Screen().heightTwips(); }};
}

bool ScreenSizeIs(qint32 width, qint32 height, const ScreenTwips &screen)
{
    const qint32 widthTwips = CheckedMultiply(width, kAssumedTwipsPerPixel, QStringLiteral("ScreenSizeIs width * 15"));
    const qint32 heightTwips =
        CheckedMultiply(height, kAssumedTwipsPerPixel, QStringLiteral("ScreenSizeIs height * 15"));
    if (double(screen.width()) != double(widthTwips))
        return false;
    return double(screen.height()) == double(heightTwips);
}

void OffsetFrameForScreen(SaverStack &stack, const ScreenTwips &screen)
{
    if (!ScreenSizeIs(800, 600, screen) && !ScreenSizeIs(640, 480, screen))
        stack.SSPanel1.top = stack.SSPanel1.top + kFrameOffsetTwips;
}

void CentreAndStack(SaverStack &stack, const ScreenTwips &screen)
{
    stack.SSPanel1.left = (screen.width() - stack.SSPanel1.width) / 2;
    stack.panYear.left = (screen.width() - stack.panYear.width) / 2;
    stack.panYear.top = stack.SSPanel1.top + stack.SSPanel1.height;
    stack.Image2.left = (screen.width() - stack.Image2.width) / 2;
    stack.Image2.top = stack.panYear.top + stack.panYear.height;
}

bool HoldsTheStack(const SaverStack &stack, const ScreenTwips &screen)
{
    const float height = stack.SSPanel1.height + stack.panYear.height + stack.Image2.height;
    return screen.width() >= stack.SSPanel1.width && screen.height() >= height;
}

QRect FittedInto(const QSize &picture, const QSize &room)
{
    const QSize fitted = picture.scaled(room, Qt::KeepAspectRatio);
    return QRect(QPoint((room.width() - fitted.width()) / 2, (room.height() - fitted.height()) / 2), fitted);
}
