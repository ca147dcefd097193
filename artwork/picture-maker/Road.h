#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <cstdint>

class QPainter;

// A road seen from the side and a little above: far edge at the top of `band`, near edge at
// the bottom, with a dashed centre line behind the cars.
void paintRoad(QPainter &painter, const QRectF &band, const QColor &asphalt, const QColor &marking);

// Bright streaks on a wet road.
void paintWetSheen(QPainter &painter, const QRectF &band, std::uint32_t seed);

// A racing kerb of alternating red and white blocks.
void paintKerb(QPainter &painter, const QRectF &strip, qreal blockWidth);

void paintGuardRail(QPainter &painter, qreal left, qreal right, qreal groundY, qreal height);

void paintStreetLamp(QPainter &painter, QPointF base, qreal height, bool lit);
