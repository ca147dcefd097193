#pragma once

#include <QObject>

class QSocketNotifier;

// How a Linux desktop stops a screen saver: SIGTERM (the idle daemon), SIGINT and SIGHUP.
// While an instance exists, each of these signals is turned into an event on the
// user-interface thread, where it closes every window as the window manager would close
// it (so their query-unload and unload handlers run), open message boxes included, and
// ends the event loop with status 0. SIGUSR1, a screen locker's request to reset the saver, is
// caught the same way and leaves the program running.
//
// The signal handler itself only writes the signal number into a socket pair, which is
// all a handler may safely do; the reading end wakes the event loop. Where the socket pair
// cannot be made, a warning goes to stderr and the signals keep their default effect.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Holds the signals back until an instance exists: called first thing in main, before any
    // thread starts (threads inherit the mask), it makes a signal that comes while Qt starts up
    // wait, and the instance, once its handler is in place, lets it through.
    static void holdBack();

    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

private:
    void drain();
    static void closeProgram();

    QSocketNotifier *m_notifier = nullptr;
    bool m_installed = false;
};
