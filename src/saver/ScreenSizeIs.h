#pragma once

#include <QtGlobal>

#include <functional>

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
