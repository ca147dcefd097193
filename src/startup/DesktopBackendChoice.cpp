#include "startup/DesktopBackendChoice.h"

#include "platform/wayland/WaylandDesktopBackend.h"
#include "platform/x11/X11DesktopBackend.h"

#include <QGuiApplication>

std::unique_ptr<DesktopBackend> chosenDesktopBackend()
{
    // On platforms without windows of other programs but Wayland (offscreen, say), the X11
    // lookups say that they need an X11 display.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return std::make_unique<WaylandDesktopBackend>();
    return std::make_unique<X11DesktopBackend>();
}

void preferX11ForWindowsOfOtherPrograms(const SaverTarget &target)
{
    if (target.drawsIntoAWindow())
        X11DesktopBackend::preferWhereAnXServerRuns();
}

SaverTarget targetOnThisDesktop(const SaverTarget &requested)
{
    if (!requested.drawsIntoAWindow() || chosenDesktopBackend()->hostsWindowsOfOtherPrograms())
        return requested;
    // Whoever asked wants the screen saved: covering it serves that better than leaving it
    // as it is.
    SaverTarget fullScreen;
    fullScreen.warning =
        QStringLiteral("a Wayland session has no window of another program to draw into; the saver covers the screens");
    return fullScreen;
}
