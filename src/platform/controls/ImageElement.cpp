#include "platform/controls/ImageElement.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

ImageElement::ImageElement(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void ImageElement::setPicture(const QImage &picture)
{
    m_picture = picture;
    lookChanged();
}

void ImageElement::setStretch(bool stretch)
{
    m_stretch = stretch;
    lookChanged();
}

void ImageElement::setBorder(Border border)
{
    m_border = border;
    lookChanged();
}

void ImageElement::lookChanged()
{
    // What a picture leaves transparent shows the container behind the element, as painted
    // afresh each time; an opaque picture covers all, so nothing behind it need be painted.
    setAttribute(Qt::WA_OpaquePaintEvent, !m_picture.hasAlphaChannel());
    m_scaled = QPixmap();
    if (!m_stretch)
        fitToPicture();
    update();
}

QSize ImageElement::deviceSize() const
{
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

int ImageElement::borderWidth() const
{
    return m_border == Border::FixedSingle ? kFixedSingleBorderWidth : 0;
}

void ImageElement::fitToPicture()
{
    resize(m_picture.size() + QSize(2 * borderWidth(), 2 * borderWidth()));
}

const QPixmap &ImageElement::scaledForDevice(const QSize &logicalSize)
{
    // Scale once to the device pixels actually painted, so the photo stays sharp on
    // high-DPI screens and repaints cost a blit rather than a resample.
    const qreal ratio = devicePixelRatioF();
    const QSize devicePixels = (QSizeF(logicalSize) * ratio).toSize();
    if (m_scaled.size() != devicePixels) {
        m_scaled = QPixmap::fromImage(m_picture.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_scaled.setDevicePixelRatio(ratio);
    }
    return m_scaled;
}

void ImageElement::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int border = borderWidth();
    if (border > 0)
        qDrawWinPanel(&painter, rect(), palette(), true);
    const QRect inside = rect().adjusted(border, border, -border, -border);
    if (m_picture.isNull() || inside.isEmpty()) {
        painter.fillRect(inside, Qt::black);
        return;
    }
    if (m_stretch)
        painter.drawPixmap(inside.topLeft(), scaledForDevice(inside.size()));
    else
        painter.drawImage(inside.topLeft(), m_picture);
}

void ImageElement::mousePressEvent(QMouseEvent *)
{
    m_pressed = true;
    emit MouseDown();
}

void ImageElement::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicked = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (clicked)
        emit Click();
}

void ImageElement::mouseMoveEvent(QMouseEvent *)
{
    emit MouseMove();
}
