#pragma once

#include <functional>

struct xcb_connection_t;

// Qt's X11 support tells the window manager the stacking state (_NET_WM_STATE) of every window
// it creates, by requests sent to the root window, whether the window is a top-level one or
// not. A window made inside another program's window has no state for a window manager to
// keep, and a screen locker that watches the root window logs each such request as unexpected.
// While create runs, those requests go no further; every other request goes to the server.
namespace EmbeddedWindowStates {

void createWithoutStateRequests(xcb_connection_t *connection, const std::function<void()> &create);

} // namespace EmbeddedWindowStates
