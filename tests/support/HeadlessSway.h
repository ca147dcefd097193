#pragma once

#include "UnprivilegedUser.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A headless sway session for the end-to-end tests on Wayland: outputs HEADLESS-1 (1024 × 768)
// and HEADLESS-2 (800 × 600, to its right), no X server, no input devices but the test's own
// virtual pointer. Sway refuses to run as root, so under root the session and every client of
// it run as the unprivileged "nobody", with a throwaway home and runtime directory it owns.
class HeadlessSway
{
public:
    struct FullScreenWindow
    {
        QString output;
        qint64 pid = 0;
    };

    HeadlessSway();
    ~HeadlessSway();
    HeadlessSway(const HeadlessSway &) = delete;
    HeadlessSway &operator=(const HeadlessSway &) = delete;

    // False, with the reason in errorString(), when sway could not be started.
    bool start(const QString &pointerProgram, int timeoutMs = 30000);
    void stop();
    QString errorString() const { return m_error; }
    QString logTail(int lines = 30) const;

    // A directory the session's user owns, for its settings and photos; handOver() after
    // writing there.
    QString home() const;
    bool handOver() const;
    // The environment of the session's clients.
    QProcessEnvironment environment() const { return m_environment; }
    // The command, run as the session's user.
    QStringList asUser(const QStringList &command) const;
    // Runs a client as the user; its exit code, or -1.
    int run(const QStringList &command, QByteArray *output = nullptr) const;

    QMap<QString, QRect> outputs() const;
    QList<FullScreenWindow> fullScreenWindows() const;
    // What the output shows (grim, taken twice: the first may show an older frame); with the
    // pointer as the compositor draws it over the output when asked for.
    QImage capture(const QString &output, bool withPointer = false) const;
    bool pressKey(const QString &key) const;
    // Creates an output; its name, empty on failure.
    QString createOutput() const;
    // One command of the virtual pointer ("move-to X Y", "move-by DX DY", "press").
    bool pointer(const QString &command);

private:
    QTemporaryDir m_base;
    QProcess m_sway;
    QProcess m_pointer;
    QProcessEnvironment m_environment;
    QString m_error;
    UnprivilegedUser m_user;
    bool m_asNobody = false;
};
