#pragma once

#include "startup/SaverTarget.h"

#include <QString>

// Chooses the mode from the command line and shows the one window of this run; a second copy
// ends at once. Saver mode draws where target says.
void Main(const SaverTarget &target = {});

// True when the command line asks for the settings window.
bool IsSettingsMode(const QString &commandLine);
