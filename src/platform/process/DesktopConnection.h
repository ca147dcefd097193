#pragma once

// Where no desktop can be reached (no DISPLAY, or nothing answering at it), Qt's platform
// plugin ends the program with a fatal message, abort() and a core dump, after warnings
// that say the same thing three ways. Created before the application object, a watch holds
// Qt's platform messages ("qt.qpa.*", and the Wayland plugin's uncategorised one) back; if the
// fatal message comes, they become one line on stderr, "Dravik2001: no desktop could be
// reached: <Qt's reason, naming each display tried>", and the program ends at once with
// status 1. Every other message goes straight to the handler that was in place
// before (stderr, QT_MESSAGE_PATTERN and logging rules as ever).
class DesktopConnectionWatch
{
public:
    DesktopConnectionWatch();
    // Ends the watch, as reached() does, if that has not happened yet.
    ~DesktopConnectionWatch();

    DesktopConnectionWatch(const DesktopConnectionWatch &) = delete;
    DesktopConnectionWatch &operator=(const DesktopConnectionWatch &) = delete;

    // The application object exists: the held messages go on, in the order they came, and
    // the previous handler takes every message from now on. Where the desktop has no screen
    // at all (Qt would abort at the first window), they are dropped instead: false, after
    // "Dravik2001: the desktop has no screen to show a window on" on stderr, and the program
    // is to end with status 1.
    [[nodiscard]] bool reached();

private:
    bool m_watching = true;
};
