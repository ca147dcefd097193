#include "saver/SurfaceMoves.h"

#include "platform/desktop/PointerPosition.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

SurfaceMoves::SurfaceMoves(QWidget &window, QWidget &photo) : QObject(&window), m_window(window), m_photo(photo)
{
    m_window.installEventFilter(this);
    m_photo.installEventFilter(this);
}

void SurfaceMoves::takeRestingPosition()
{
    if (const std::optional<QPointF> resting = KnownPointerPosition())
        m_pointer.setRestingPosition(*resting);
}

void SurfaceMoves::coverMove(const QPointF &globalPosition)
{
    if (m_pointer.isMove(globalPosition))
        emit windowMove();
}

bool SurfaceMoves::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const QPointF position = static_cast<QMouseEvent *>(event)->globalPosition();
        // A move without movement never reaches the photo's handler.
        if (watched == &m_photo)
            return !m_pointer.isMove(position);
        if (watched == &m_window)
            coverMove(position);
    } else if (event->type() == QEvent::Enter) {
        const auto *enter = static_cast<QEnterEvent *>(event);
        if (watched == &m_photo && m_pointer.isMove(enter->globalPosition()))
            emit photoArrival();
        // Over the photo, the arrival is the photo's.
        if (watched == &m_window && m_window.childAt(enter->position().toPoint()) != &m_photo)
            coverMove(enter->globalPosition());
    }
    return QObject::eventFilter(watched, event);
}
