#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <cstdint>

class QPainter;

enum class TimeOfDay { Day, Dusk, Night, Dawn, Overcast, NeonEvening };

void paintSky(QPainter &painter, const QRectF &area, TimeOfDay time);

// A sun with a wide glow around it.
void paintSun(QPainter &painter, QPointF centre, qreal radius, const QColor &colour);

// A large striped sun in the style of 1980s posters.
void paintStripedSun(QPainter &painter, QPointF centre, qreal radius);

void paintMoon(QPainter &painter, QPointF centre, qreal radius);

void paintStars(QPainter &painter, const QRectF &area, int count, std::uint32_t seed);

// Puffy clouds, bright on top and shaded underneath.
void paintClouds(QPainter &painter, const QRectF &area, int count, const QColor &light, const QColor &shade,
                 std::uint32_t seed);

// Slanted streaks of rain over the whole area.
void paintRain(QPainter &painter, const QRectF &area, int count, std::uint32_t seed);
