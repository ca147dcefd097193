#pragma once

#include <QString>
#include <QtGlobal>

// Program-wide state shared by the windows.
extern qint32 IntervalSeconds; // the saver's interval, as read from the settings
extern qint32 IntervalMs;      // the settings window's working interval
extern QString PhotoDir;       // the photo directory prefix, with its trailing separator

// Chooses the mode from the command line and shows the one window of this run.
void Main();
// Raises the cursor display count until the pointer is certainly shown.
void RestoreCursor();
// Makes the pointer visible and ends the program at once.
[[noreturn]] void EndProgram();
