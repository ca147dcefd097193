#pragma once

#include <QString>

// A number as plain text, the same in every locale: no leading blank, no decimal point for
// whole numbers (60 -> "60"), otherwise the shortest decimal that reads back as the same double,
// with '.' (1.5 -> "1.5"). Magnitudes from 1e-4 up to 1e15 are never written in exponent form.
QString NumberText(double value);
