#include "platform/controls/CommandButton3D.h"

#include <QKeyEvent>

CommandButton3D::CommandButton3D(const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{
    setAutoDefault(false);
}

void CommandButton3D::setCaptionColor(const QColor &color)
{
    QPalette colors = palette();
    colors.setColor(QPalette::ButtonText, color);
    setPalette(colors);
}

void CommandButton3D::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    QPushButton::keyPressEvent(event);
}
