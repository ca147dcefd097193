#include "startup/DesktopBackendChoice.h"

#include "platform/x11/X11DesktopBackend.h"

std::unique_ptr<DesktopBackend> chosenDesktopBackend()
{
    // X11 is the only desktop with windows of other programs to draw into so far; on any other
    // its lookups say that they need an X11 display.
    return std::make_unique<X11DesktopBackend>();
}
