#include "saver/CoverWindow.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

CoverWindow::CoverWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("CoverWindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The saver window keeps the keyboard; a cover only passes on what reaches it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The saver window's close ends the program; a cover left open must not keep it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

bool CoverWindow::event(QEvent *event)
{
    // Every key, Tab included, before Qt's focus handling can take it.
    if (event->type() == QEvent::KeyPress) {
        emit KeyDown();
        return true;
    }
    // The pointer's arrival from another screen: on Wayland no move follows it.
    if (event->type() == QEvent::Enter)
        emit MouseMove(static_cast<QEnterEvent *>(event)->globalPosition());
    return QWidget::event(event);
}

void CoverWindow::mousePressEvent(QMouseEvent *)
{
    emit MouseDown();
}

void CoverWindow::mouseMoveEvent(QMouseEvent *event)
{
    emit MouseMove(event->globalPosition());
}

void CoverWindow::paintEvent(QPaintEvent *event)
{
    QPainter(this).fillRect(event->rect(), Qt::black);
}
