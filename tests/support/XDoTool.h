#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

// Drives the X server named by DISPLAY through xdotool, as a user would: for the
// end-to-end tests that run under Xvfb.
namespace XDoTool {

// Runs xdotool with the arguments; returns its standard output, trimmed. Fails the
// current test through QVERIFY-style warnings when xdotool is missing or fails.
QString run(const QStringList &arguments, bool *ok = nullptr);
// Waits until a visible window with exactly this title exists; returns its id or empty.
QString waitForWindow(const QString &title, int timeoutMs = 10000);
// Waits until a visible window of the process exists; returns its id or empty.
QString waitForWindowOfProcess(qint64 pid, int timeoutMs = 10000);
// The window's parent (as a decimal id, as xdotool prints ids), or empty when it cannot be told.
QString parentOf(const QString &window);
// Every visible window of the process (by _NET_WM_PID, which Qt sets), possibly none.
QStringList windowsOfProcess(qint64 pid);
// The window's place on the screen; null when it cannot be told.
QRect windowGeometry(const QString &windowId);
// The top-level window under the pointer (the root window where there is none).
QString windowUnderPointer();
// The process that owns the window by _NET_WM_PID; 0 for a window without one (the root).
qint64 windowPid(const QString &windowId);
bool mouseMove(int x, int y);
bool click(int button = 1);
bool key(const QString &keyName);
// Gives the window keyboard focus (no window manager needed), then types the key.
bool keyInWindow(const QString &windowId, const QString &keyName);

} // namespace XDoTool
