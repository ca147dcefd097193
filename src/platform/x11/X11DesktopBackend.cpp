#include "platform/x11/X11DesktopBackend.h"

#include "platform/x11/X11HostWindow.h"

#include <QtGlobal>

void X11DesktopBackend::preferWhereAnXServerRuns()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

std::unique_ptr<HostWindow> X11DesktopBackend::findHostWindow(quintptr id, QString *why) const
{
    return X11HostWindow::find(id, why);
}

std::unique_ptr<HostWindow> X11DesktopBackend::rootWindow(QString *why) const
{
    return X11HostWindow::root(why);
}
