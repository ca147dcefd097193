#pragma once

// The cursor display count: starts at 0; each call raises it by one when show is non-zero
// and lowers it by one otherwise, and returns the new count. While the count is negative
// the pointer is hidden over the program's windows.
int ShowCursor(int show);
