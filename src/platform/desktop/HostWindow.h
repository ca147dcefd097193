#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QSize>

#include <memory>

class QWidget;
class QWindow;

// A window of another program that the saver draws into: a screen-saver daemon's window on a
// monitor, the root window, or the preview area of a daemon's settings dialog. The saver's
// window becomes a child of it, and hears when it changes size or is destroyed. X11 only.
class HostWindow : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // The window with that id on this display, or null (with the reason in *why) when there is
    // no such window or no X11 display.
    static std::unique_ptr<HostWindow> find(quintptr id, QString *why);
    // The root window of the display's default screen, or null as find() is.
    static std::unique_ptr<HostWindow> root(QString *why);
    ~HostWindow() override;

    quintptr id() const { return m_id; }
    QSize size() const { return m_size; }

    // Makes content a child window of this one, at its top left corner.
    void embed(QWidget &content) const;

signals:
    void resized(const QSize &size);
    void gone();

protected:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    HostWindow(quintptr id, const QSize &size);

    quintptr m_id;
    QSize m_size;
    QWindow *m_window; // Qt's handle on it
};
