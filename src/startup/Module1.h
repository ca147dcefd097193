#pragma once

#include "startup/SaverTarget.h"

#include <QString>
#include <QWidget>

#include <memory>

// Chooses the mode from the command line and shows the one window of this run; a second copy
// ends at once. Saver mode draws where target says. The window is the caller's, to destroy
// before the application: that waits for what its workers still do, so that no decode runs
// on while the program's statics go.
[[nodiscard]] std::unique_ptr<QWidget> Main(const SaverTarget &target = {});

// True when the command line asks for the settings window.
bool IsSettingsMode(const QString &commandLine);
