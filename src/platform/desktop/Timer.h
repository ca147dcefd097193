#pragma once

#include <QObject>
#include <QTimer>

// A window's timer: ticks every Interval milliseconds on the user-interface thread, the
// first tick one interval after it was armed; an interval of 0 stops it.
class Timer : public QObject
{
    Q_OBJECT

public:
    // Enabled from creation with its design interval.
    Timer(int designIntervalMs, QObject *parent);

    int Interval() const { return m_interval; }
    // Re-arms the timer. A negative interval raises "Invalid property value".
    void setInterval(int milliseconds);

signals:
    void Tick();

private:
    QTimer m_timer;
    int m_interval = 0;
};
