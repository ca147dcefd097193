#pragma once

// The cursor display count: starts at 0; each call raises it by one when show is non-zero
// and lowers it by one otherwise, and returns the new count. While the count is negative
// the pointer is hidden over the program's windows.
int ShowCursor(int show);

// Shows the pointer for as long as it lives, whatever the display count, and hides it again
// afterwards if the count still says so: for a message that must be answered with the mouse
// while the saver has the pointer hidden. The count itself is left alone.
class ShownPointer
{
public:
    ShownPointer();
    ~ShownPointer();

    ShownPointer(const ShownPointer &) = delete;
    ShownPointer &operator=(const ShownPointer &) = delete;

private:
    bool m_overridden = false;
};
