#include "IntervalSecondsText.h"

#include "NumberText.h"

QString IntervalSecondsText(qint32 intervalMs)
{
    return NumberText(static_cast<double>(intervalMs) / 1000.0);
}

QString IntervalCaption(qint32 intervalMs)
{
    return IntervalSecondsText(intervalMs) + QStringLiteral(" Seconds");
}
