#include "saver/ScaledPreview.h"

#include "platform/desktop/HostWindow.h"
#include "saver/SaverLayout.h"

#include <QCloseEvent>
#include <QPainter>

ScaledPreview::ScaledPreview(HostWindow &host, QWidget &shown) : m_shown(shown)
{
    setObjectName(QStringLiteral("ScaledPreview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    host.embed(*this);
    resize(host.size());
    connect(&host, &HostWindow::resized, this, qOverload<const QSize &>(&QWidget::resize));
}

void ScaledPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QPixmap picture = m_shown.grab();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(FittedInto(picture.deviceIndependentSize().toSize(), size()), picture);
}

void ScaledPreview::closeEvent(QCloseEvent *event)
{
    // Closing the preview is closing the saver window it shows.
    m_shown.close();
    event->accept();
}
