#pragma once

#include <QString>
#include <QtGlobal>

// The interval between photographs: as the settings store keeps it (seconds as text), and as
// the settings window steps it (milliseconds along a cycle of sixteen values).

// The stored "Interval" text as a whole number, in the forms the original desktop's number
// conversion read, the same in every locale:
// - decimal: an optional sign, digits with '.' as the decimal point, and an optional exponent
//   ("2.5E1" is 25, "25e-1" is 2.5); what comes out fractional rounds half to even
//   (2.5 -> 2, 3.5 -> 4);
// - hexadecimal "&H1F" and octal "&O17" or "&17", letters in either case, no sign; only
//   values with no 16- or 32-bit sign bit set (&H0 to &H7FFF, &H10000 to &H7FFFFFFF), since
//   the desktop took the others as negative numbers.
// Blanks (spaces, tabs) may stand around the number. Raises RuntimeError(TypeMismatch) for
// anything else and RuntimeError(Overflow) for a number outside the 32-bit signed range or
// with a sign bit set.
qint32 IntervalFromText(const QString &text);

// A number as plain text, the same in every locale: no leading blank, no decimal point for
// whole numbers (60 -> "60"), otherwise the shortest decimal that reads back as the same double,
// with '.' (1.5 -> "1.5"). Magnitudes from 1e-4 up to 1e15 are never written in exponent form.
QString NumberText(double value);

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
