#pragma once

#include <QString>
#include <QtGlobal>

// Numbers as the settings store keeps them: the stored interval read from its text, and a
// number written back as plain text.

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
