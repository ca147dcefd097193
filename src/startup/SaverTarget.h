#pragma once

#include <QString>
#include <QStringList>

// Where saver mode draws. A screen-saver daemon runs a display mode with "--root" (draw on the
// window it names in $XSCREENSAVER_WINDOW, else on the root window) or "--window-id ID" (draw
// into that window, as its settings dialog does for the preview; this wins over "--root"). Both
// are also accepted with a single dash. Anything else is the full-screen saver.
struct SaverTarget
{
    enum class Kind { FullScreen, RootWindow, Window };

    Kind kind = Kind::FullScreen;
    quintptr window = 0; // for Kind::Window
    // Why a window that was asked for is not used, for stderr; empty when nothing went wrong.
    QString warning;

    bool drawsIntoAWindow() const { return kind != Kind::FullScreen; }
};

// The target for the program's arguments (after the program name) and the value of
// $XSCREENSAVER_WINDOW (null when it is not set). A window id is "0x" and hex digits, or
// decimal digits; one that is not falls back to the full-screen saver with a warning.
SaverTarget SaverTargetFrom(const QStringList &arguments, const QString &daemonWindow);
