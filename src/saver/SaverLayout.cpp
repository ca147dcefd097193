#include "SaverLayout.h"

void OffsetFrameForScreen(SaverStack &stack, const ScreenTwips &screen)
{
    if (!ScreenSizeIs(800, 600, screen) && !ScreenSizeIs(640, 480, screen))
        stack.SSPanel1.top = stack.SSPanel1.top + kFrameOffsetTwips;
}

void CentreAndStack(SaverStack &stack, const ScreenTwips &screen)
{
    stack.SSPanel1.left = (screen.width() - stack.SSPanel1.width) / 2;
    stack.panYear.left = (screen.width() - stack.panYear.width) / 2;
    stack.panYear.top = stack.SSPanel1.top + stack.SSPanel1.height;
    stack.Image2.left = (screen.width() - stack.Image2.width) / 2;
    stack.Image2.top = stack.panYear.top + stack.panYear.height;
}
