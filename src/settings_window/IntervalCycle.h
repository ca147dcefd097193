#pragma once

#include <QtGlobal>

// The settings window's cycle of sixteen intervals, in milliseconds: 1 to 5 seconds in
// steps of one second, then 5 to 60 seconds in steps of five, wrapping at both ends.
// Raises RuntimeError(Overflow) when a step would leave the 32-bit range.
qint32 IntervalStepDown(qint32 intervalMs);
qint32 IntervalStepUp(qint32 intervalMs);
