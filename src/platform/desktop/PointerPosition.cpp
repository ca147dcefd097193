#include "platform/desktop/PointerPosition.h"

#include <QCursor>
#include <QGuiApplication>

std::optional<QPointF> KnownPointerPosition()
{
    // Qt's Wayland platform answers QCursor::pos() with the last position its windows saw,
    // the origin before the first.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return std::nullopt;
    return QPointF(QCursor::pos());
}
