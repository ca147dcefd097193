#pragma once

#include "saver/DismissalRules.h"

#include <QObject>

class QPointF;
class QWidget;

// Which pointer events on the saver's surface (its window, the photo in it and the covers of
// the other screens) are moves under the move rule, and where each lands. A move counts only
// when the pointer has left the last position seen; so does the pointer's arrival in a window,
// which on Wayland is all a window hears of a move from another output.
class SurfaceMoves : public QObject
{
    Q_OBJECT

public:
    // Watches the window and the photo, whose own move handler hears only real moves.
    SurfaceMoves(QWidget &window, QWidget &photo);

    // Where the pointer rests as the window shows, if the window system tells; else the first
    // position the surface hears is where it rests.
    void takeRestingPosition();
    // The pointer moved on, or arrived at, a cover.
    void coverMove(const QPointF &globalPosition);

signals:
    void windowMove();
    // Only for an arrival: a move over the photo reaches the photo's own handler.
    void photoArrival();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    QWidget &m_photo;
    PointerMotion m_pointer;
};
