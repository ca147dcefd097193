#pragma once

#include <QString>

// Whether a committed picture file is what the generator draws today, up to the rounding in
// which machines differ (Qt and the maths library take other code paths on other processors,
// and a colour value can land one off): the same size, and no colour value more than 1 apart.
// Empty when so; otherwise what differs.
QString differenceBeyondRounding(const QString &committedPath, const QString &drawnPath);
