#pragma once

#include <QRect>
#include <QSize>
#include <QtGlobal>

#include <functional>

// The saver window's layout arithmetic, apart from the window so that it is testable on
// any screen size without one.

// The screen's width and height in twips. Every call reads afresh, as the windowing layer
// does; the layout relies on that for each step it takes.
struct ScreenTwips
{
    std::function<float()> width;
    std::function<float()> height;
};

// The primary screen, read through the windowing layer.
ScreenTwips PrimaryScreenTwips();

// The layout's test for a known screen size: true when the screen measures exactly
// width × 15 by height × 15 twips, whatever its real twips per pixel. The products are
// 32-bit and raise RuntimeError(Overflow) when they do not fit.
bool ScreenSizeIs(qint32 width, qint32 height, const ScreenTwips &screen);

// Where the saver window's three stacked elements stand, in single-precision twips
// relative to the window.
struct TwipsBox
{
    float left = 0.0f;
    float top = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

struct SaverStack
{
    TwipsBox SSPanel1; // the photo frame
    TwipsBox panYear;  // the caption bar
    TwipsBox Image2;   // the banner
};

// Screens other than 800 × 600 and 640 × 480 (as ScreenSizeIs sees them) get the frame,
// and so the whole stack, this far down.
inline constexpr float kFrameOffsetTwips = 1400.0f;

// Moves the frame down by kFrameOffsetTwips unless the screen is one of the two known sizes.
void OffsetFrameForScreen(SaverStack &stack, const ScreenTwips &screen);

// Centres the frame, the caption bar and the banner across the screen's width, each on a
// fresh read of it, and stacks the caption bar under the frame and the banner under the
// caption bar, in that order and each from the values the step before left.
void CentreAndStack(SaverStack &stack, const ScreenTwips &screen);

// True when the screen is large enough for the whole stack (the frame, the caption bar and the
// banner), as a daemon's window on a monitor is and its settings dialog's preview is not.
bool HoldsTheStack(const SaverStack &stack, const ScreenTwips &screen);

// Where a picture goes to be shown whole in room, scaled to fit it and centred.
QRect FittedInto(const QSize &picture, const QSize &room);
