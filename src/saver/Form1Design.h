#pragma once

#include "saver/SaverLayout.h"

class ImageElement;
class Panel3D;
class Timer;
class Window;

// The saver window as designed: its elements with their names, looks, design positions and
// first pictures, set up the way a form designer's generated code sets up a form. Form1 gives
// them their behaviour and lays them out for the screen.
class Form1Design
{
public:
    // The photo frame's top as designed, from which each layout starts.
    static constexpr float kFrameDesignTop = 0;

    // Creates the elements as children of the window and gives the window its own look.
    void setupUi(Window &Form1);

    // The frame, the caption bar and the banner where they stand, in twips.
    SaverStack placedStack() const;
    // Moves the three to the stack's positions; their sizes stay as designed.
    void placeStack(const SaverStack &stack);

    Timer *Timer1 = nullptr;
    Panel3D *SSPanel1 = nullptr;
    ImageElement *Image1 = nullptr;
    Panel3D *panYear = nullptr;
    ImageElement *Image2 = nullptr;

private:
    void setupFrame(Window &Form1);
    void setupCaptionBar(Window &Form1);
    void setupBanner(Window &Form1);
};
