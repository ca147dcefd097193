#pragma once

#include <QImage>

enum class IconFinish {
    Palette16,  // hard edges in the 16 palette colours only, for the 32 × 32 icon file
    FullColour, // smooth edges and gradients, for the larger desktop icons
};

// The Dravik icon, a red coupé before a yellow sun on a clear background, in a square of
// `size` pixels.
QImage iconImage(int size, IconFinish finish);
