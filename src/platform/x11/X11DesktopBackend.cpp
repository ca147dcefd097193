#include "platform/x11/X11DesktopBackend.h"

#include "platform/x11/X11HostWindow.h"

std::unique_ptr<HostWindow> X11DesktopBackend::findHostWindow(quintptr id, QString *why) const
{
    return X11HostWindow::find(id, why);
}

std::unique_ptr<HostWindow> X11DesktopBackend::rootWindow(QString *why) const
{
    return X11HostWindow::root(why);
}
