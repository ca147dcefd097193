#pragma once

#include <QPointF>

#include <optional>

// Where the pointer is on the desktop before any window of the program has seen it, where the
// window system tells: X11 does; Wayland tells a program where the pointer is only in the
// events of its own windows, so there the answer is none.
std::optional<QPointF> KnownPointerPosition();
