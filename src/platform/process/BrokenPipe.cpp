#include "platform/process/BrokenPipe.h"

#include "platform/runtime/Warning.h"

#include <cerrno>
#include <csignal>

void IgnoreBrokenPipe()
{
    struct sigaction action = {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    // Nothing can be done without it but say so; stderr may still be open at this point.
    if (::sigaction(SIGPIPE, &action, nullptr) != 0)
        Warn(QStringLiteral("cannot ignore SIGPIPE (%1)").arg(qt_error_string(errno)));
}
