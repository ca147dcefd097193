#include "platform/controls/Panel3D.h"

#include <QPainter>

namespace {

// Draws a bevel of the given width inside box and returns what lies inside it.
QRect drawBevel(QPainter &painter, const QRect &box, Panel3D::Bevel bevel, int width)
{
    if (bevel == Panel3D::Bevel::None || width <= 0)
        return box;
    const QColor light = Qt::white;
    const QColor dark = QColor(128, 128, 128);
    const QColor &topLeft = bevel == Panel3D::Bevel::Raised ? light : dark;
    const QColor &bottomRight = bevel == Panel3D::Bevel::Raised ? dark : light;
    for (int i = 0; i < width; ++i) {
        const QRect ring = box.adjusted(i, i, -i, -i);
        if (ring.width() <= 0 || ring.height() <= 0)
            break;
        painter.setPen(topLeft);
        painter.drawLine(ring.topLeft(), ring.topRight());
        painter.drawLine(ring.topLeft(), ring.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(ring.bottomLeft(), ring.bottomRight());
        painter.drawLine(ring.topRight(), ring.bottomRight());
    }
    return box.adjusted(width, width, -width, -width);
}

} // namespace

Panel3D::Panel3D(QWidget *parent) : QWidget(parent)
{
    // Input over the panel belongs to nobody: it neither reaches the window behind it nor
    // counts as input on the window.
    setAttribute(Qt::WA_NoMousePropagation);
}

void Panel3D::setLook(const Look &look)
{
    m_look = look;
    update();
}

void Panel3D::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void Panel3D::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_look.background);
    QRect inside = drawBevel(painter, rect(), m_look.outer, m_look.bevelWidth);
    inside.adjust(m_look.borderWidth, m_look.borderWidth, -m_look.borderWidth, -m_look.borderWidth);
    inside = drawBevel(painter, inside, m_look.inner, m_look.bevelWidth);
    if (m_caption.isEmpty())
        return;
    painter.setPen(m_look.foreground);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_caption);
}
