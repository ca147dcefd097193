#pragma once

#include <QString>
#include <QtGlobal>

// The stored "Interval" text as a whole number: blanks (spaces, tabs) around it, an optional
// sign, decimal digits with '.' as the decimal point whatever the locale, and a fraction that
// rounds half to even (2.5 -> 2, 3.5 -> 4). Raises RuntimeError(TypeMismatch) for anything
// else and RuntimeError(Overflow) for a number outside the 32-bit signed range.
qint32 IntervalFromText(const QString &text);
