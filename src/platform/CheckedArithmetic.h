#pragma once

#include "RuntimeError.h"

#include <QString>
#include <QtNumeric>

#include <concepts>

// Counter and interval arithmetic traps on overflow instead of wrapping: the result does
// not fit its type, so the operation raises RuntimeError(Overflow) naming source.
template <std::integral T>
T CheckedMultiply(T left, T right, const QString &source)
{
    T result{};
    if (qMulOverflow(left, right, &result))
        throw RuntimeError(RuntimeError::Overflow, source);
    return result;
}

template <std::integral T>
T CheckedAdd(T left, T right, const QString &source)
{
    T result{};
    if (qAddOverflow(left, right, &result))
        throw RuntimeError(RuntimeError::Overflow, source);
    return result;
}
