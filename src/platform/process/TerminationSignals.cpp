#include "platform/process/TerminationSignals.h"

#include "platform/runtime/App.h"
#include "platform/runtime/Warning.h"

#include <QApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QWidget>

#include <array>
#include <cerrno>
#include <csignal>

#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// SIGUSR1 is a screen locker's request to reset the saver (xsecurelock sends it when its
// password prompt closes). It may end the saver or reset it; a photo cycle has nothing that
// the prompt could have put out of step, so the saver carries on as it is.
constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP, SIGUSR1};

// [0] is written by the signal handler, [1] is read on the user-interface thread.
int socketEnds[2] = {-1, -1};
struct sigaction previousActions[kSignals.size()];

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: if the pair is somehow full, the signals already queued close the
    // program anyway.
    [[maybe_unused]] const ssize_t written = ::write(socketEnds[0], &byte, 1);
    errno = savedErrno;
}

sigset_t terminationSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : kSignals)
        sigaddset(&set, signalNumber);
    return set;
}

// A signal held back meanwhile is delivered now, to the handler if it is in place.
void letThrough()
{
    const sigset_t set = terminationSignalSet();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void reportSetupFailure(const char *what)
{
    Warn(QStringLiteral("cannot catch termination signals (%1: %2); they end the program at once.")
             .arg(QLatin1String(what), qt_error_string(errno)));
}

} // namespace

void TerminationSignals::holdBack()
{
    const sigset_t set = terminationSignalSet();
    if (const int error = ::pthread_sigmask(SIG_BLOCK, &set, nullptr); error != 0) {
        errno = error;
        reportSetupFailure("pthread_sigmask");
    }
}

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    Q_ASSERT_X(socketEnds[0] < 0, "TerminationSignals", "only one instance may exist");
    const auto released = qScopeGuard(letThrough);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, socketEnds) != 0) {
        reportSetupFailure("socketpair");
        socketEnds[0] = socketEnds[1] = -1;
        return;
    }

    m_notifier = new QSocketNotifier(socketEnds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &previousActions[i]) != 0)
            reportSetupFailure("sigaction");
    }
    m_installed = true;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_installed)
        return;
    for (size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previousActions[i], nullptr);
    delete m_notifier;
    ::close(socketEnds[0]);
    ::close(socketEnds[1]);
    socketEnds[0] = socketEnds[1] = -1;
}

void TerminationSignals::drain()
{
    unsigned char byte = 0;
    bool ending = false;
    while (::read(socketEnds[1], &byte, 1) == 1) {
        qCDebug(lcLifecycle) << "signal" << int(byte);
        ending = ending || byte != SIGUSR1;
    }
    if (ending)
        closeProgram();
}

void TerminationSignals::closeProgram()
{
    // Message boxes first: each one runs its own event loop inside a handler of the window
    // beneath it, and closing it lets that handler return.
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        windows.append(window);
    for (const QPointer<QWidget> &window : windows) {
        if (window && window->isVisible() && window->isModal())
            window->close();
    }
    for (const QPointer<QWidget> &window : windows) {
        if (window && window->isVisible())
            window->close();
    }
    QCoreApplication::exit(0);
}
