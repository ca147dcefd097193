#include "IntervalText.h"

#include "platform/RuntimeError.h"

#include <QStringView>

#include <limits>

namespace {

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
