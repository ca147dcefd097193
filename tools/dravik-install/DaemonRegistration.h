#pragma once

#include <QString>

class QTextStream;

// The saver's entry in xscreensaver's per-user file, ~/.xscreensaver: read, and written in
// one rename so that the daemon, which reloads the file when it changes, never sees half of it.
namespace DaemonRegistration {

// ~/.xscreensaver, from $HOME as the daemon finds it.
QString userFilePath();

// Lists and enables the saver. Returns one of InstallCommand's exit statuses.
int registerSaver(QTextStream &out, QTextStream &err);

// Prints whether the saver is registered. Returns one of InstallCommand's exit statuses.
int showRegistration(QTextStream &out, QTextStream &err);

} // namespace DaemonRegistration
