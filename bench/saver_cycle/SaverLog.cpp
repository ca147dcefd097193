#include "saver_cycle/SaverLog.h"

#include <QRegularExpression>

namespace {

const QByteArray kTimingPrefix = QByteArrayLiteral("dravik.timing: ");
const QByteArray kLifecyclePrefix = QByteArrayLiteral("dravik.lifecycle: ");

} // namespace

void SaverLog::append(const QByteArray &bytes)
{
    m_text += bytes;
    m_partialLine += bytes;
    qsizetype lineEnd = -1;
    while ((lineEnd = m_partialLine.indexOf('\n')) >= 0) {
        takeLine(m_partialLine.left(lineEnd));
        m_partialLine.remove(0, lineEnd + 1);
    }
}

void SaverLog::takeLine(const QByteArray &line)
{
    if (line.startsWith(kLifecyclePrefix)) {
        const QByteArray message = line.mid(kLifecyclePrefix.size());
        if (message.startsWith("Form1 shown"))
            m_windowShown = true;
        else if (message.startsWith("Timer1_Timer failed") && m_tickFailure.isEmpty())
            m_tickFailure = QString::fromLocal8Bit(message);
        return;
    }
    if (!line.startsWith(kTimingPrefix))
        return;

    static const QRegularExpression timing(QStringLiteral("^(Timer1_Timer|photo shown) (\\d{1,12}) us$"));
    const QString message = QString::fromLocal8Bit(line.mid(kTimingPrefix.size()));
    const QRegularExpressionMatch match = timing.match(message);
    if (!match.hasMatch()) {
        m_unexpectedTimingLines.append(message);
        return;
    }
    const qint64 microseconds = match.captured(2).toLongLong();
    if (match.captured(1) == QStringLiteral("Timer1_Timer")) {
        m_ticks.append({microseconds, 0});
    } else if (m_ticks.isEmpty()) {
        m_unexpectedTimingLines.append(message);
    } else {
        m_ticks.last().completionMicroseconds += microseconds;
    }
}
