#include "platform/x11/EmbeddedWindowStates.h"

#include <QScopeGuard>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace {

// The atom whose requests are held back, while a window is being created; none otherwise.
// Only the user-interface thread creates windows and talks to the server through Qt.
xcb_atom_t heldBackRequest = XCB_ATOM_NONE;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

bool isHeldBack(const char *event)
{
    if (heldBackRequest == XCB_ATOM_NONE || (event[0] & ~0x80) != XCB_CLIENT_MESSAGE)
        return false;
    xcb_client_message_event_t message;
    std::memcpy(&message, event, sizeof message);
    return message.type == heldBackRequest;
}

} // namespace

// Qt's X11 plugin calls xcb_send_event through the dynamic linker, which finds this definition
// in the program before the library's.
extern "C" __attribute__((visibility("default"))) xcb_void_cookie_t
xcb_send_event(xcb_connection_t *connection, uint8_t propagate, xcb_window_t destination, uint32_t eventMask,
               const char *event)
{
    using SendEvent = xcb_void_cookie_t (*)(xcb_connection_t *, uint8_t, xcb_window_t, uint32_t, const char *);
    static const auto send = reinterpret_cast<SendEvent>(::dlsym(RTLD_NEXT, "xcb_send_event"));
    if (isHeldBack(event))
        return {0};
    return send(connection, propagate, destination, eventMask, event);
}

void EmbeddedWindowStates::createWithoutStateRequests(xcb_connection_t *connection, const std::function<void()> &create)
{
    heldBackRequest = internAtom(connection, "_NET_WM_STATE");
    const auto restore = qScopeGuard([] { heldBackRequest = XCB_ATOM_NONE; });
    create();
}
