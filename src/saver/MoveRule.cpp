#include "MoveRule.h"

namespace {

constexpr qint16 kAbsorbedMoves = 3;

} // namespace

bool MoveEndsProgram(qint16 &moveCount)
{
    if (moveCount < kAbsorbedMoves) {
        ++moveCount;
        return false;
    }
    return true;
}
