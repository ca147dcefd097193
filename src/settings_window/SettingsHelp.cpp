#include "settings_window/SettingsHelp.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

QString SettingsHelpTitle()
{
    return QStringLiteral("The Dravik Quintavel Screen Saver Settings");
}

QString SettingsHelpPrompt()
{
    // The trailing blanks on the first two lines are part of the message.
    return QStringLiteral("The Dravik Quintavel Screen Saver must be initially installed from ") + kCrLf
        + QStringLiteral("within the Dravik Quintavel itself. Use this screen to adjust the ") + kCrLf
        + QStringLiteral("timing interval of the presentation.") + kCrLf + kCrLf
        + QStringLiteral("Additional options exist allowing you to set the screen saver to use") + kCrLf
        + QStringLiteral("all the photos from the Dravik Quintavel library or just the ones that") + kCrLf
        + QStringLiteral("you have selected from the Screen Saver Photo Selection form. They") + kCrLf
        + QStringLiteral("are available under the File/Install Screen Saver menu items within") + kCrLf
        + QStringLiteral("the Dravik Quintavel software.") + kCrLf + kCrLf;
}
