#include "platform/x11/X11HostWindow.h"

#include "platform/x11/EmbeddedWindowStates.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

namespace {

xcb_connection_t *x11Connection()
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Structure events of the host (size changes, its destruction) come to us as well; the mask is
// added to whatever this connection already selects there (Qt selects on the root window).
void listenToStructure(xcb_connection_t *connection, xcb_window_t window)
{
    uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    if (attributes) {
        mask |= attributes->your_event_mask;
        std::free(attributes);
    }
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

// Device pixels to logical ones, rounded up so that the logical size covers them all; the
// slack keeps an exact quotient (1000 / 1.25) from rounding up past itself.
int coveringLogical(int devicePixels, qreal ratio)
{
    return static_cast<int>(std::ceil(devicePixels / ratio - 1e-6));
}

} // namespace

std::unique_ptr<HostWindow> X11HostWindow::find(quintptr id, QString *why)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        *why = QStringLiteral("drawing into another program's window needs an X11 display");
        return nullptr;
    }
    const auto window = static_cast<xcb_window_t>(id);
    xcb_generic_error_t *error = nullptr;
    xcb_get_geometry_reply_t *geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), &error);
    if (!geometry) {
        *why = QStringLiteral("there is no window 0x%1 on this display (X error %2)")
                   .arg(id, 0, 16)
                   .arg(error ? int(error->error_code) : 0);
        std::free(error);
        return nullptr;
    }
    std::unique_ptr<HostWindow> host(new X11HostWindow(id, QSize(geometry->width, geometry->height)));
    std::free(geometry);
    listenToStructure(connection, window);
    return host;
}

std::unique_ptr<HostWindow> X11HostWindow::root(QString *why)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        *why = QStringLiteral("drawing on the root window needs an X11 display");
        return nullptr;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return find(screen->root, why);
}

X11HostWindow::X11HostWindow(quintptr id, const QSize &deviceSize)
    : m_id(id), m_deviceSize(deviceSize), m_window(QWindow::fromWinId(id))
{
    // Only Qt's handle goes with us, never the other program's window.
    static_cast<QObject *>(m_window)->setParent(this);
    qGuiApp->installNativeEventFilter(this);
}

X11HostWindow::~X11HostWindow()
{
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

QSize X11HostWindow::size() const
{
    const qreal ratio = m_window->devicePixelRatio();
    return QSize(coveringLogical(m_deviceSize.width(), ratio), coveringLogical(m_deviceSize.height(), ratio));
}

void X11HostWindow::embed(QWidget &content) const
{
    content.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    EmbeddedWindowStates::createWithoutStateRequests(x11Connection(), [&content] { content.winId(); });
    content.windowHandle()->setParent(m_window);
    content.move(0, 0);
}

bool X11HostWindow::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & ~0x80) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
        const QSize deviceSize(configure->width, configure->height);
        if (configure->window == m_id && deviceSize != m_deviceSize) {
            m_deviceSize = deviceSize;
            emit resized(size());
        }
        break;
    }
    case XCB_DESTROY_NOTIFY:
        if (reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == m_id)
            emit gone();
        break;
    default:
        break;
    }
    return false;
}
