#pragma once

class QEvent;
class QObject;
class RuntimeError;

// Every way the program ends by itself. Each one leaves the pointer visible or ends the
// process at once; no event, close handler or destructor runs after one of them.

// Raises the cursor display count until the pointer is certainly shown: at least one call,
// and until the count is 1 or more.
void RestoreCursor();

// Makes the pointer visible and ends the program at once with status 0.
[[noreturn]] void EndProgram();

// Ends the process at once with the given status.
[[noreturn]] void TerminateProgram(int exitStatus);

// The report for a run-time error that nothing caught: the error goes to stderr and into a
// modal message box titled with the application title, then the program ends with status 1.
// The report is the last thing the program shows: from its start no other handler runs.
[[noreturn]] void ReportUncaughtError(const RuntimeError &error);
[[noreturn]] void ReportUncaughtError(const char *what);

// True for an event that must not reach its receiver because a run-time error is being
// reported: ticks, input and closes of anything but the report itself. Signals still get
// through, so the desktop can end the program during the report.
bool HeldBackByErrorReport(const QObject *receiver, QEvent *event);
