#pragma once

#include <QDeadlineTimer>

#include <atomic>
#include <chrono>

// Ends a picture load early: when another thread asks it to, or when the load has run for
// longer than its time limit. A stopped load sees its file end, so whatever the decoder is
// doing it runs out of data and returns soon; the load then raises.
class LoadStop
{
public:
    explicit LoadStop(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {}

    // Starts the time limit's clock; called by the thread that loads, as it begins.
    void start() { m_deadline.setRemainingTime(m_timeLimit); }
    // From any thread.
    void request() { m_requested.store(true, std::memory_order_relaxed); }

    bool requested() const { return m_requested.load(std::memory_order_relaxed); }
    // Only for the thread that loads.
    bool timedOut() const { return m_deadline.hasExpired(); }
    bool reached() const { return requested() || timedOut(); }
    std::chrono::milliseconds timeLimit() const { return m_timeLimit; }

private:
    std::chrono::milliseconds m_timeLimit;
    QDeadlineTimer m_deadline = QDeadlineTimer::Forever;
    std::atomic<bool> m_requested = false;
};
