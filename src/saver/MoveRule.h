#pragma once

#include <QtGlobal>

// The move rule for the mouse-move counter of one element: the first three moves it reports
// are absorbed (the counter goes 0 → 1 → 2 → 3); true on the fourth, which ends the program.
bool MoveEndsProgram(qint16 &moveCount);
