#pragma once

// Ends the process at once: no event, close handler or destructor runs after this.
[[noreturn]] void TerminateProgram(int exitStatus);
