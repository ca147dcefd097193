#pragma once

#include "platform/desktop/DesktopBackend.h"

// The X11 desktop: another program's window is an X window, found by its id on Qt's display
// connection.
class X11DesktopBackend : public DesktopBackend
{
public:
    bool hostsWindowsOfOtherPrograms() const override { return true; }
    std::unique_ptr<HostWindow> findHostWindow(quintptr id, QString *why) const override;
    std::unique_ptr<HostWindow> rootWindow(QString *why) const override;
};
