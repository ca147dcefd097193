#include "platform/controls/SpinButton.h"

#include <QKeyEvent>
#include <QToolButton>

namespace {

QToolButton *makeArrow(Qt::ArrowType arrow, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // Focus stays on the spin button as a whole, which answers the arrow keys.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

SpinButton::SpinButton(QWidget *parent)
    : QWidget(parent), m_down(makeArrow(Qt::LeftArrow, this)), m_up(makeArrow(Qt::RightArrow, this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    connect(m_down, &QToolButton::clicked, this, &SpinButton::SpinDown);
    connect(m_up, &QToolButton::clicked, this, &SpinButton::SpinUp);
}

void SpinButton::setBackground(const QColor &color)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Window, color);
    colors.setColor(QPalette::Button, color);
    setPalette(colors);
}

void SpinButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        emit SpinUp();
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        emit SpinDown();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void SpinButton::resizeEvent(QResizeEvent *)
{
    const int half = width() / 2;
    m_down->setGeometry(0, 0, half, height());
    m_up->setGeometry(half, 0, width() - half, height());
}
