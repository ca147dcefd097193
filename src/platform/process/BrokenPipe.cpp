#include "platform/process/BrokenPipe.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

void IgnoreBrokenPipe()
{
    struct sigaction action = {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    // Nothing can be done without it but say so; stderr may still be open at this point.
    if (::sigaction(SIGPIPE, &action, nullptr) != 0)
        std::fprintf(stderr, "Dravik2001: cannot ignore SIGPIPE (%s)\n", std::strerror(errno));
}
