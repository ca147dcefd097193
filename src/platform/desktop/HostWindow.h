#pragma once

#include <QObject>
#include <QSize>

class QWidget;

// A window of another program that the saver draws into: a screen-saver daemon's window on a
// monitor, the root window, or the preview area of a daemon's settings dialog. The saver's
// window becomes a child of it, and hears when it changes size or is destroyed. Each desktop
// backend (DesktopBackend) has its own.
class HostWindow : public QObject
{
    Q_OBJECT

public:
    ~HostWindow() override;

    // The other program's id for the window, as its command line gave it.
    virtual quintptr id() const = 0;
    // Its size as last heard, in Qt's logical pixels as widgets are sized: the window system's
    // device pixels divided by the device pixel ratio, rounded up so that a window of this size
    // covers the host whole.
    virtual QSize size() const = 0;

    // Makes content a child window of this one, at its top left corner.
    virtual void embed(QWidget &content) const = 0;

signals:
    // The new size, as size() gives it.
    void resized(const QSize &size);
    void gone();
};
