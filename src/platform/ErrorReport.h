#pragma once

class RuntimeError;

// The report for a run-time error that nothing caught: the error goes to stderr and into
// a modal message box titled with the application title, then the program ends with a
// non-zero status.
[[noreturn]] void ReportUncaughtError(const RuntimeError &error);
[[noreturn]] void ReportUncaughtError(const char *what);
