#include "platform/desktop/Timer.h"

#include "platform/runtime/RuntimeError.h"

Timer::Timer(int designIntervalMs, QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Timer::Tick);
    setInterval(designIntervalMs);
}

void Timer::setInterval(int milliseconds)
{
    if (milliseconds < 0)
        throw RuntimeError(RuntimeError::InvalidPropertyValue, QStringLiteral("Timer.Interval = %1").arg(milliseconds));
    m_interval = milliseconds;
    if (milliseconds == 0)
        m_timer.stop();
    else
        m_timer.start(milliseconds);
}
