#pragma once

#include <QString>
#include <QtGlobal>

// An interval in milliseconds as whole or fractional seconds in plain number text,
// for example 15000 -> "15": the text the settings window saves.
QString IntervalSecondsText(qint32 intervalMs);

// The interval panel's caption after a step: the seconds followed by " Seconds", the
// plural for one second too.
QString IntervalCaption(qint32 intervalMs);
