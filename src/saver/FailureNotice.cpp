#include "saver/FailureNotice.h"

#include <QPainter>

namespace {

constexpr int kMargin = 16;
const QColor kBackground(48, 48, 48);

QFont headingFont(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

FailureNotice::FailureNotice(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FailureNotice"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void FailureNotice::showMessage(const QString &heading, const QString &text)
{
    m_heading = heading;
    m_lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(QLatin1Char('\n'));

    const QFontMetrics headingMetrics(headingFont(font()));
    const QFontMetrics lineMetrics(font());
    int width = headingMetrics.horizontalAdvance(m_heading);
    for (const QString &line : std::as_const(m_lines))
        width = qMax(width, lineMetrics.horizontalAdvance(line));
    const int height = headingMetrics.height() + lineMetrics.lineSpacing() * int(m_lines.size());
    const QSize size(width + 2 * kMargin, height + 3 * kMargin);
    const QSize room = parentWidget()->size();
    setGeometry(QRect(QPoint((room.width() - size.width()) / 2, (room.height() - size.height()) / 2), size));
    raise();
    show();
    update();
}

void FailureNotice::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setPen(Qt::white);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QFont heading = headingFont(font());
    painter.setFont(heading);
    int y = kMargin + QFontMetrics(heading).ascent();
    painter.drawText(kMargin, y, m_heading);
    y += QFontMetrics(heading).descent() + kMargin;

    painter.setFont(font());
    const QFontMetrics metrics(font());
    for (const QString &line : std::as_const(m_lines)) {
        y += metrics.ascent();
        painter.drawText(kMargin, y, line);
        y += metrics.lineSpacing() - metrics.ascent();
    }
}
