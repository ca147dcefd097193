#pragma once

#include <QColor>

// Mixes two colours; amount 0 gives `from`, 1 gives `to`.
QColor blend(const QColor &from, const QColor &to, qreal amount);

// The same colour with another opacity, 0 (clear) to 255 (opaque).
QColor withAlpha(QColor colour, int alpha);
