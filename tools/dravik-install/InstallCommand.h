#pragma once

#include <QStringList>

class QTextStream;

// The companion command that records the saver's settings for the current user, standing
// in for the collection's own installer. Writes go through the program's settings store.
namespace InstallCommand {

enum ExitStatus {
    Success = 0,
    Refused = 1,     // the directory or value was refused; nothing was written
    UsageError = 2,  // the command line was not understood
    StoreFailure = 3 // the settings file could not be read or written
};

// Runs the command for the arguments after the program name.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace InstallCommand
