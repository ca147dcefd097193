#pragma once

#include "platform/desktop/DesktopBackend.h"
#include "startup/SaverTarget.h"

#include <memory>

// The backend for the desktop this program runs on; the one place that chooses among them.
std::unique_ptr<DesktopBackend> chosenDesktopBackend();

// Before Qt starts: a window to draw into is an X window, which Qt's X11 platform reaches
// also inside a Wayland session that runs an X server for older programs (DISPLAY set). So a
// saver asked to draw into one takes that platform there, unless QT_QPA_PLATFORM says otherwise.
void preferX11ForWindowsOfOtherPrograms(const SaverTarget &target);

// Where the saver draws on this desktop: the requested target, or the full screen with a
// warning where the desktop has no windows of other programs (a Wayland session).
SaverTarget targetOnThisDesktop(const SaverTarget &requested);
