#pragma once

#include <QByteArray>
#include <QString>

// The list of display modes ("programs:") in xscreensaver's per-user file ~/.xscreensaver.
// Plain functions over the file's bytes: whatever they do not mean to change comes back
// byte for byte, in whatever encoding the file has.
//
// The list is one resource continued over many lines; each entry ends with "\n" and a
// continuation backslash, may start with "-" (disabled) and a visual such as "GL:", and the
// command starts at column 32, as xscreensaver-settings writes it.
namespace DaemonProgramsList {

// The saver's name in the daemon's hacks directory (the link the package installs).
inline constexpr char kProgramName[] = "dravik2001";
// The entry added for the saver: the daemon names the window to draw on in its environment.
inline constexpr char kCommand[] = "dravik2001 --root";

enum class Registration {
    Enabled,   // listed, and at least one of its entries is enabled
    Disabled,  // listed, every one of its entries disabled with "-"
    NotListed, // the list exists and does not name the saver
    NoList     // the file has no programs: list
};

Registration registration(const QByteArray &fileText);

struct Edit
{
    QByteArray text; // the whole file after the edit; the file as given when nothing changed
    bool changed = false;
    QString refusal; // why the file was left alone because it cannot be edited safely
};

// The file with the saver listed and enabled: a disabled entry is enabled where it stands
// (unless its visual or command begins with "-", which would still read as disabled),
// otherwise an entry is added at the end of the list, so the positions of the others (which
// "selected:" counts) stay. Only the saver's own line is written or rewritten.
Edit withSaverEnabled(const QByteArray &fileText);

// One entry line as xscreensaver-settings writes it, without the line break.
QByteArray formattedEntry(const QByteArray &command, bool enabled, const QByteArray &visual = {});

} // namespace DaemonProgramsList
