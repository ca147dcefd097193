#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <cstdint>

class QPainter;

// Rolling hills whose ridge wanders around `ridgeY`, filled down to the bottom of `area`.
void paintHills(QPainter &painter, const QRectF &area, qreal ridgeY, qreal amplitude, const QColor &colour,
                std::uint32_t seed);

// Jagged peaks rising up to `height` above `baseY` across `area`, with snow caps unless `snow`
// is invalid; filled down to the bottom of `area`.
void paintMountains(QPainter &painter, const QRectF &area, qreal baseY, qreal height, const QColor &rock,
                    const QColor &snow, std::uint32_t seed);

// Flat-topped desert rocks standing on `baseY`.
void paintMesas(QPainter &painter, const QRectF &area, qreal baseY, const QColor &rock, std::uint32_t seed);

// Open water; a column of glints under `glintX` unless it is negative.
void paintWater(QPainter &painter, const QRectF &area, const QColor &horizon, const QColor &deep, qreal glintX,
                const QColor &glint, std::uint32_t seed);

// A row of buildings standing on `baseY`, reaching at most up to the top of `area`.
void paintCity(QPainter &painter, const QRectF &area, qreal baseY, const QColor &wall, const QColor &lights,
               qreal litShare, std::uint32_t seed);

// Trees stand between x = fromX and x = toX with their feet around `baseY`.
void paintPineTrees(QPainter &painter, qreal fromX, qreal toX, qreal baseY, qreal height, const QColor &needles,
                    int count, std::uint32_t seed);

// Round-crowned trees; each takes a colour somewhere between the two leaf colours.
void paintLeafyTrees(QPainter &painter, qreal fromX, qreal toX, qreal baseY, qreal height, const QColor &leavesA,
                     const QColor &leavesB, int count, std::uint32_t seed);

void paintPalm(QPainter &painter, QPointF base, qreal height, qreal lean);

// Fills an area with a top-to-bottom colour gradient.
void paintGround(QPainter &painter, const QRectF &area, const QColor &top, const QColor &bottom);
