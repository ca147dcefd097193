#include "settings/IntervalCycle.h"

#include "platform/runtime/RuntimeError.h"
#include "settings/NumberText.h"

namespace {

constexpr qint32 kLargeStepMs = 5000;
constexpr double kMillisecondsPerSecond = 1000.0;

} // namespace

// The tests run in this order and the first match wins, so 10000 goes down by the
// general rule to 5000 rather than taking the one-second rows.
qint32 IntervalStepDown(qint32 intervalMs)
{
    switch (intervalMs) {
    case 1000:
        return 60000;
    case 5000:
        return 4000;
    case 4000:
        return 3000;
    case 3000:
        return 2000;
    case 2000:
        return 1000;
    default:
        return CheckedAdd(intervalMs, -kLargeStepMs, QStringLiteral("SpinInterval_Down"));
    }
}

qint32 IntervalStepUp(qint32 intervalMs)
{
    switch (intervalMs) {
    case 60000:
        return 1000;
    case 1000:
        return 2000;
    case 2000:
        return 3000;
    case 3000:
        return 4000;
    case 4000:
        return 5000;
    default:
        return CheckedAdd(intervalMs, kLargeStepMs, QStringLiteral("SpinInterval_Up"));
    }
}

QString IntervalSecondsText(qint32 intervalMs)
{
    return NumberText(static_cast<double>(intervalMs) / kMillisecondsPerSecond);
}

QString IntervalCaption(qint32 intervalMs)
{
    return IntervalSecondsText(intervalMs) + QStringLiteral(" Seconds");
}
