#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPair>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// GNOME's compositor, headless, as a Wayland session of its own for the end-to-end tests:
// a private session bus, the compositor with virtual monitors of the given sizes side by
// side, and the media server its screen casts go through. What it shows is read back by
// its own D-Bus interfaces, not from its clients: the monitors from its display
// configuration, the pixels of a monitor from a screen cast of it (one frame, taken by
// GStreamer's PipeWire source). Pointer moves go in by its remote-desktop interface. Every
// process is stopped by stop(), by the destructor, and by the kernel when the test process
// dies, so none outlives a test.
class HeadlessMutter
{
public:
    struct Monitor
    {
        QString connector;
        QRect geometry;
        bool primary = false;
    };

    HeadlessMutter();
    ~HeadlessMutter();
    HeadlessMutter(const HeadlessMutter &) = delete;
    HeadlessMutter &operator=(const HeadlessMutter &) = delete;

    // The programs start() needs that are not installed; empty when all are.
    static QStringList missingPrograms();

    // Starts everything and waits until the compositor accepts Wayland clients and lists
    // all its monitors; false, with the reason in errorString(), when it could not.
    bool start(const QList<QSize> &monitorSizes, int timeoutMs = 30000);
    void stop();

    QString errorString() const { return m_error; }
    // The end of the compositor's and the media server's output, for failure messages.
    QString logTail(int lines = 30) const;
    // The environment with this session's Wayland display (by its full path, so the
    // client's runtime directory stays its own), its bus, and Qt's Wayland platform.
    QProcessEnvironment clientEnvironment(QProcessEnvironment environment) const;

    // The logical monitors as the compositor lays them out now; empty on failure.
    QList<Monitor> monitors();
    // The monitor's picture as the compositor composes it, the pointer drawn in; null, with
    // errorString(), on failure. A frame may be one composed just before the latest change.
    QImage capture(const QString &connector);

    // Pointer input as a remote desktop gives it: a move by an offset. False, with
    // errorString(), when the compositor refused. (Its keys do not reach a client that
    // shows without a shell to give it the keyboard, so there is no key input here.)
    bool movePointer(double dx, double dy);
    // Moves the pointer to a point of a monitor, in that monitor's own coordinates.
    bool warpPointer(const QString &connector, double x, double y);

private:
    bool startProcess(QProcess &process, const QString &program, const QStringList &arguments, const QString &logName);
    // A remote-desktop session with a screen cast of every monitor, started.
    bool startRemoteDesktop();
    bool call(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments,
              QVariantList *results = nullptr);

    QTemporaryDir m_runtimeDir;
    QString m_busAddress;
    std::unique_ptr<QDBusConnection> m_bus;
    QProcess m_busDaemon;
    QProcess m_mutter;
    QProcess m_pipewire;
    QProcess m_sessionManager;
    QString m_remoteSession;
    QString m_screenCastSession;
    // Per connector: the stream recorded from it and its PipeWire node.
    QMap<QString, QPair<QString, quint32>> m_streams;
    QString m_error;
};
