#pragma once

#include <QImage>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real X server with several monitors, for the end-to-end tests that need more than the
// one screen Xvfb gives: Xorg with the dummy video driver (tests/support/xorg-dummy.conf),
// whose RandR outputs DUMMY0, DUMMY1, ... are switched on and off with xrandr while
// programs run on it. Xorg may refuse to start for a user other than root, who may open
// the console. The server is stopped by stop(), by the destructor, and by the kernel when
// the test process dies, so it never outlives a test.
class MultiMonitorX
{
public:
    MultiMonitorX();
    ~MultiMonitorX();
    MultiMonitorX(const MultiMonitorX &) = delete;
    MultiMonitorX &operator=(const MultiMonitorX &) = delete;

    // Starts the server on the first free display and waits until it accepts clients;
    // false, with the reason in errorString(), when it could not be started.
    bool start(int timeoutMs = 30000);
    void stop();
    bool isRunning() const;

    // ":N", for DISPLAY.
    QString display() const { return m_display; }
    QString errorString() const { return m_error; }
    // The end of the server's log, for failure messages.
    QString logTail(int lines = 30) const;
    // The caller's environment with DISPLAY naming this server.
    QProcessEnvironment environment() const;
    // Points this process's DISPLAY here too, for the X clients it starts (XDoTool).
    void applyToThisProcess() const;

    // Switches the output on with a mode of the size: to the right of the output rightOf,
    // or at the origin as the primary monitor when rightOf is empty. Waits until RandR
    // lists the monitor with that geometry.
    bool addOutput(const QString &name, int width, int height, const QString &rightOf = {});
    bool removeOutput(const QString &name);
    // The monitors RandR lists (xrandr --listmonitors): output name to geometry.
    QMap<QString, QRect> monitors();
    // Paints the root window, the desktop where no window is, in one colour.
    bool fillRoot(const QString &colour);
    // The whole root window as the server shows it (xwd -root); null on failure.
    QImage screenshot();

    // Runs an X client against this server; false, with errorString(), when it fails.
    bool runClient(const QString &program, const QStringList &arguments, QByteArray *output = nullptr);

private:
    bool xrandr(const QStringList &arguments);
    bool waitForMonitor(const QString &name, const QRect &geometry);

    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_display;
    QString m_error;
    QSet<QString> m_modes;
    QSet<QString> m_outputModes;
};
