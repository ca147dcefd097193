#pragma once

#include <QPointF>
#include <QtGlobal>

#include <optional>

// The rules by which the saver's input ends the program, kept apart from the window so they
// can be tested without one.

// The move rule for the mouse-move counter of one element: the first three moves it reports
// are absorbed (the counter goes 0 → 1 → 2 → 3); true on the fourth, which ends the program.
bool MoveEndsProgram(qint16 &moveCount);

// Tells real pointer movement from the move events a window system sends without any:
// X11 reports a "move" when a window maps under a resting pointer, and again when the
// element under it changes. A move event counts only when its screen position differs
// from the last one seen; so does the pointer's arrival in a window, which on Wayland is all
// a window hears of a move from another output.
class PointerMotion
{
public:
    // Where the pointer rests before any move event, for example when the window appears.
    void setRestingPosition(const QPointF &globalPosition);

    // True when the pointer has left the last position seen; remembers the new one. The
    // first position ever seen is where the pointer rests, not a move.
    bool isMove(const QPointF &globalPosition);

private:
    std::optional<QPointF> m_last;
};
