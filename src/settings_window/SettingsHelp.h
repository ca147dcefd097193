#pragma once

#include <QString>

// The information message behind the settings window's "Help" button.
QString SettingsHelpTitle();
// Eight lines joined by CR LF, with an empty line after the third and a line break plus an
// empty line at the end.
QString SettingsHelpPrompt();
