#pragma once

#include "CarOutline.h"

#include <QBrush>
#include <QColor>
#include <QPointF>

class QPainter;

// How one particular Dravik is finished.
struct CarLook
{
    CarEra era = CarEra::Modern;
    QColor paint{};
    QColor stripe{}; // invalid: no stripe along the side
    bool openTop = false;
    bool flames = false;   // hot-rod flames licking back from the nose
    bool lightsOn = false; // lamps lit, with beams, for dark scenes
};

// Where a car stands in the picture.
struct CarPlacement
{
    QPointF ground{};   // point on the road midway between tail and nose
    qreal length = 700; // pixels from tail to nose
    bool facingLeft = false;
};

// Paints a finished car with its shadow on the road.
void paintCar(QPainter &painter, const CarLook &look, const CarPlacement &placement);

// Paints the car upside down below the road line, faded to `opacity`, as mirrored in a wet or
// polished floor.
void paintCarReflection(QPainter &painter, const CarLook &look, const CarPlacement &placement, qreal opacity);

// Paints the car as a line drawing (body, windows, doors, wheels) with a cosmetic pen.
void paintCarDrawing(QPainter &painter, CarEra era, const CarPlacement &placement, const QColor &ink);

// Paints the car's outline filled with a single brush.
void paintCarSilhouette(QPainter &painter, CarEra era, const CarPlacement &placement, const QBrush &brush);
