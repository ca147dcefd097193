#pragma once

#include "platform/desktop/HostWindow.h"

#include <QAbstractNativeEventFilter>

#include <memory>

class QWindow;

// Another program's X window: its size changes and its destruction are heard as the structure
// events of that window, which Qt does not pass on for windows not its own. The X server
// measures it in device pixels; Qt's scaling (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS) makes
// the saver's widgets logical, so sizes are converted here, at the ratio Qt uses for the
// windows embedded in it.
class X11HostWindow : public HostWindow, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // The window with that id on this display, or null (with the reason in *why) when there is
    // no such window or no X11 display.
    static std::unique_ptr<HostWindow> find(quintptr id, QString *why);
    // The root window of the display's default screen, or null as find() is.
    static std::unique_ptr<HostWindow> root(QString *why);
    ~X11HostWindow() override;

    quintptr id() const override { return m_id; }
    QSize size() const override;
    void embed(QWidget &content) const override;

protected:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    X11HostWindow(quintptr id, const QSize &deviceSize);

    quintptr m_id;
    QSize m_deviceSize;
    QWindow *m_window; // Qt's handle on it
};
