#include "platform/wayland/WaylandDesktopBackend.h"

std::unique_ptr<HostWindow> WaylandDesktopBackend::findHostWindow(quintptr id, QString *why) const
{
    *why = QStringLiteral("a Wayland session has no window 0x%1 of another program to draw into").arg(id, 0, 16);
    return nullptr;
}

std::unique_ptr<HostWindow> WaylandDesktopBackend::rootWindow(QString *why) const
{
    *why = QStringLiteral("a Wayland session has no root window to draw on");
    return nullptr;
}
