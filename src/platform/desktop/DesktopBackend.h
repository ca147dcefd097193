#pragma once

#include "platform/desktop/HostWindow.h"

#include <QString>

#include <memory>

// What the saver needs of the window system it runs on beyond Qt's own: the windows of other
// programs it draws into. Screens and their changes come through Qt.
class DesktopBackend
{
public:
    virtual ~DesktopBackend() = default;

    // False where no program can reach the windows of others (Wayland): there the lookups
    // below always fail, and a request to draw into a window falls back to the full screen.
    virtual bool hostsWindowsOfOtherPrograms() const = 0;

    // The window with that id on this desktop, or null (with the reason in *why) when there is
    // no such window or the desktop has no windows of other programs to draw into.
    virtual std::unique_ptr<HostWindow> findHostWindow(quintptr id, QString *why) const = 0;
    // The root window of the desktop's default screen, or null as findHostWindow() is.
    virtual std::unique_ptr<HostWindow> rootWindow(QString *why) const = 0;
};
