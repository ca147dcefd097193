#pragma once

// Chooses the mode from the command line and shows the one window of this run; a second copy
// ends at once.
void Main();
