#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

// Styling eras of the Dravik; the body follows the fashion of its model years.
enum class CarEra {
    Fifties, // rounded body, tail fins, chrome, whitewall tyres
    Sixties, // long bonnet, fastback roof, wire wheels
    Wedge,   // 1970s and 1980s: sharp wedge, flat panels, angular arches
    Modern,  // 1990s onwards: smooth, rounded, large alloy wheels
};

// The shapes of a Dravik in side view, facing right, in car units: the car runs from x = 0
// (tail) to x = 1000 (nose), the road is at y = 0 and heights are negative, as Qt's y axis
// grows downwards.
struct CarOutline
{
    QPainterPath body;     // lower body, wheel arches cut out
    QPainterPath cabin;    // roof and pillars (only the windscreen frame on an open car)
    QPainterPath glass;    // windows; like the cabin it reaches below the waist, under the body
    QPainterPath interior; // seats seen over the doors of an open car
    QPointF rearWheel;
    QPointF frontWheel;
    qreal wheelRadius = 0;
    qreal archRadius = 0;
    qreal sillY = 0;
    qreal doorFrontX = 0;
    qreal doorRearX = 0;
    qreal handleY = 0;
    qreal trimY = 0;         // height of the side chrome strip or the paint stripe
    bool chromeTrim = false; // chrome strip and chrome bumpers rather than black rubber
    QRectF headlight;
    QRectF taillight;
};

CarOutline carOutline(CarEra era, bool openTop);
