#pragma once

#include <QString>
#include <QtGlobal>

// The settings window's cycle of sixteen intervals, in milliseconds: 1 to 5 seconds in
// steps of one second, then 5 to 60 seconds in steps of five, wrapping at both ends.
// Raises RuntimeError(Overflow) when a step would leave the 32-bit range.
qint32 IntervalStepDown(qint32 intervalMs);
qint32 IntervalStepUp(qint32 intervalMs);

// An interval in milliseconds as whole or fractional seconds in plain number text,
// for example 15000 -> "15": the text the settings window saves.
QString IntervalSecondsText(qint32 intervalMs);

// The interval panel's caption after a step: the seconds followed by " Seconds", the
// plural for one second too.
QString IntervalCaption(qint32 intervalMs);
