#pragma once

#include "platform/desktop/DesktopBackend.h"

// The X11 desktop: another program's window is an X window, found by its id on Qt's display
// connection.
class X11DesktopBackend : public DesktopBackend
{
public:
    // Before Qt starts: Qt's X11 platform wherever an X server is named (DISPLAY), a Wayland
    // session's server for older programs included, unless QT_QPA_PLATFORM says otherwise.
    static void preferWhereAnXServerRuns();

    bool hostsWindowsOfOtherPrograms() const override { return true; }
    std::unique_ptr<HostWindow> findHostWindow(quintptr id, QString *why) const override;
    std::unique_ptr<HostWindow> rootWindow(QString *why) const override;
};
