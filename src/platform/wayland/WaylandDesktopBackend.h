#pragma once

#include "platform/desktop/DesktopBackend.h"

// A Wayland session: no program may reach another's window, so there is no daemon's window,
// preview area or root window to draw into; the saver covers the outputs itself.
class WaylandDesktopBackend : public DesktopBackend
{
public:
    bool hostsWindowsOfOtherPrograms() const override { return false; }
    std::unique_ptr<HostWindow> findHostWindow(quintptr id, QString *why) const override;
    std::unique_ptr<HostWindow> rootWindow(QString *why) const override;
};
