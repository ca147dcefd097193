#pragma once

#include <QImage>

// Subjects of the collection other than a plain model-year photograph.
enum class PhotoCategory {
    ClassicShow, // a classic Dravik on display at a show
    CustomCar,   // a customised Dravik with flames
    Prototype,   // a prototype drawing on a blueprint grid
    Calendar,    // a wall calendar page with a Dravik
    MetalSign,   // an old enamelled metal sign
    Stamp,       // a postage stamp with a Dravik
};

QImage categoryPhoto(PhotoCategory category);
