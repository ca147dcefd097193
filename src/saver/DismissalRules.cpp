#include "saver/DismissalRules.h"

#include "platform/runtime/App.h"

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

void PointerMotion::setRestingPosition(const QPointF &globalPosition)
{
    m_last = globalPosition;
}

bool PointerMotion::isMove(const QPointF &globalPosition)
{
    // With no position known yet there is nothing to have moved from. The tests of a session
    // that tells the position only in events wait for this line before they move the pointer.
    if (!m_last)
        qCDebug(lcLifecycle) << "the pointer rests at" << globalPosition;
    const bool moved = m_last && *m_last != globalPosition;
    m_last = globalPosition;
    return moved;
}
