#include "Termination.h"

#include <cstdio>
#include <cstdlib>

void TerminateProgram(int exitStatus)
{
    // Settings are written through at every save, so only the standard streams hold
    // anything that still needs to leave the process.
    std::fflush(nullptr);
    std::_Exit(exitStatus);
}
