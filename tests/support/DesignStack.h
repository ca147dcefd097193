#pragma once

#include "saver/SaverLayout.h"

// The design positions the saver window starts from, written out here so that the tests check
// the layout against the design rather than against the program's own copy. The banner's size
// depends on the twips per pixel, since it keeps its picture's 610 × 76 pixels.
inline SaverStack DesignStack(float twipsPerPixel)
{
    SaverStack stack;
    stack.SSPanel1 = {-120, 0, 11895, 7335};
    stack.panYear = {1800, 8160, 3795, 360};
    stack.Image2 = {1560, 7690, 610 * twipsPerPixel, 76 * twipsPerPixel};
    return stack;
}
