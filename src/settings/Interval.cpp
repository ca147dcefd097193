#include "settings/Interval.h"

#include "platform/RuntimeError.h"

#include <QStringView>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

constexpr qint32 kLargeStepMs = 5000;
constexpr double kMillisecondsPerSecond = 1000.0;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

[[noreturn]] void raise(RuntimeError::Number number, const QString &text, const QString &reason)
{
    throw RuntimeError(number, QStringLiteral("Interval"), QStringLiteral("\"%1\" %2").arg(text, reason));
}

QStringView withoutSurroundingBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// Decides on the digits themselves, so a tie is a tie and nothing else is.
bool fractionRoundsUp(QStringView fraction, bool wholeIsOdd)
{
    if (fraction.isEmpty() || fraction.front() < u'5')
        return false;
    if (fraction.front() > u'5')
        return true;
    for (QChar digit : fraction.sliced(1)) {
        if (digit != u'0')
            return true;
    }
    return wholeIsOdd;
}

} // namespace

qint32 IntervalFromText(const QString &text)
{
    const QStringView number = withoutSurroundingBlanks(text);
    qsizetype pos = 0;
    const auto skipDigits = [&] {
        const qsizetype start = pos;
        while (pos < number.size() && isDigit(number[pos]))
            ++pos;
        return number.sliced(start, pos - start);
    };

    const bool negative = pos < number.size() && number[pos] == u'-';
    if (pos < number.size() && (number[pos] == u'-' || number[pos] == u'+'))
        ++pos;
    const QStringView whole = skipDigits();
    QStringView fraction;
    if (pos < number.size() && number[pos] == u'.') {
        ++pos;
        fraction = skipDigits();
    }
    if (pos != number.size() || (whole.isEmpty() && fraction.isEmpty()))
        raise(RuntimeError::TypeMismatch, text, QStringLiteral("is not a number"));

    // Beyond 2^31 the value is out of range whatever the sign or the fraction; stopping there
    // keeps the sum well inside 64 bits.
    constexpr qint64 largestMagnitude = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 magnitude = 0;
    for (QChar digit : whole) {
        magnitude = magnitude * 10 + (digit.unicode() - u'0');
        if (magnitude > largestMagnitude)
            raise(RuntimeError::Overflow, text, QStringLiteral("is out of range"));
    }
    if (fractionRoundsUp(fraction, magnitude % 2 == 1))
        ++magnitude;

    const qint64 value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        raise(RuntimeError::Overflow, text, QStringLiteral("is out of range"));
    return qint32(value);
}

QString NumberText(double value)
{
    // Negative zero is zero.
    if (value == 0.0)
        return QStringLiteral("0");

    const double magnitude = std::fabs(value);
    const std::chars_format format =
        magnitude >= 1e-4 && magnitude < 1e15 ? std::chars_format::fixed : std::chars_format::scientific;
    // Both formats stay far below this within their ranges (at most 17 significant digits).
    std::array<char, 64> buffer{};
    const std::to_chars_result result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format);
    Q_ASSERT(result.ec == std::errc());
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

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
