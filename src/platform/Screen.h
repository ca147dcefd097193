#pragma once

// The primary screen's size in twips, read afresh on every call. Twips per pixel follow
// the screen's logical resolution: 1440 / logical DPI, so 15 at 96 DPI and 12 at 120 DPI.
float TwipsPerPixel();
float ScreenWidthTwips();
float ScreenHeightTwips();
