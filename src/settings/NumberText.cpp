#include "settings/NumberText.h"

#include "platform/runtime/Blanks.h"
#include "platform/runtime/RuntimeError.h"

#include <QStringView>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

[[noreturn]] void raise(RuntimeError::Number number, const QString &text, const QString &reason)
{
    throw RuntimeError(number, QStringLiteral("Interval"), QStringLiteral("\"%1\" %2").arg(text, reason));
}

[[noreturn]] void raiseNotANumber(const QString &text)
{
    raise(RuntimeError::TypeMismatch, text, QStringLiteral("is not a number"));
}

[[noreturn]] void raiseOutOfRange(const QString &text)
{
    raise(RuntimeError::Overflow, text, QStringLiteral("is out of range"));
}

// Reads one character at a time from the front of a text.
class Scanner
{
public:
    explicit Scanner(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_text.isEmpty(); }
    QStringView rest() const { return m_text; }

    bool skip(QChar c)
    {
        if (atEnd() || m_text.front() != c)
            return false;
        m_text = m_text.sliced(1);
        return true;
    }
    bool skipEither(QChar upper, QChar lower) { return skip(upper) || skip(lower); }

    QStringView takeDigits()
    {
        qsizetype count = 0;
        while (count < m_text.size() && isDigit(m_text[count]))
            ++count;
        const QStringView digits = m_text.first(count);
        m_text = m_text.sliced(count);
        return digits;
    }

private:
    QStringView m_text;
};

// Hexadecimal ("&H1F", letters in either case) and octal ("&O17" or "&17") numbers.

int digitValue(QChar c, int base)
{
    int value = base;
    if (isDigit(c))
        value = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        value = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        value = c.unicode() - u'A' + 10;
    return value < base ? value : -1;
}

qint32 fromRadixDigits(QStringView digits, int base, const QString &text)
{
    if (digits.isEmpty())
        raiseNotANumber(text);
    for (QChar c : digits) {
        if (digitValue(c, base) < 0)
            raiseNotANumber(text);
    }

    // Stored intervals are the decimal text the settings window writes, so these forms come
    // only from someone typing them, who means the plain value. The original desktop took
    // them as 16- or 32-bit two's complement (&HFFFF was -1), so rather than guess, only
    // the values on which both readings agree are taken: those with no sign bit set.
    constexpr quint64 kLargest16BitPositive = 0x7FFF;
    constexpr quint64 kLargest16BitPattern = 0xFFFF;
    constexpr quint64 kLargest32BitPositive = 0x7FFFFFFF;
    constexpr quint64 kLargest32BitPattern = 0xFFFFFFFF;
    quint64 value = 0;
    for (QChar c : digits) {
        value = value * quint64(base) + quint64(digitValue(c, base));
        if (value > kLargest32BitPattern)
            raiseOutOfRange(text);
    }
    if (value > kLargest32BitPositive || (value > kLargest16BitPositive && value <= kLargest16BitPattern)) {
        const int bits = value > kLargest16BitPattern ? 32 : 16;
        raise(RuntimeError::Overflow, text,
              QStringLiteral("is out of range: as a %1-bit number it would be negative").arg(bits));
    }
    return qint32(value);
}

qint32 fromRadixText(QStringView number, const QString &text)
{
    Scanner scanner(number);
    scanner.skip(u'&');
    if (scanner.skipEither(u'H', u'h'))
        return fromRadixDigits(scanner.rest(), 16, text);
    scanner.skipEither(u'O', u'o');
    return fromRadixDigits(scanner.rest(), 8, text);
}

// Decimal numbers: sign, digits with a fraction, and an exponent.

// Far beyond any exponent that leaves a 32-bit value for a text that fits in memory, and
// small enough that neither reading the exponent nor adding it to a digit count can
// overflow.
constexpr qint64 kExponentLimit = qint64(1) << 58;
// 2^31, the largest magnitude, has ten digits.
constexpr qint64 kMostWholeDigits = 10;

struct DecimalNumber
{
    bool negative = false;
    QStringView whole;
    QStringView fraction;
    qint64 exponent = 0;
};

qint64 exponentFrom(Scanner &scanner, const QString &text)
{
    const bool negative = scanner.skip(u'-');
    if (!negative)
        scanner.skip(u'+');
    const QStringView digits = scanner.takeDigits();
    if (digits.isEmpty())
        raiseNotANumber(text);
    qint64 exponent = 0;
    for (QChar digit : digits)
        exponent = std::min(exponent * 10 + (digit.unicode() - u'0'), kExponentLimit);
    return negative ? -exponent : exponent;
}

DecimalNumber decimalFrom(QStringView number, const QString &text)
{
    Scanner scanner(number);
    DecimalNumber parts;
    parts.negative = scanner.skip(u'-');
    if (!parts.negative)
        scanner.skip(u'+');
    parts.whole = scanner.takeDigits();
    if (scanner.skip(u'.'))
        parts.fraction = scanner.takeDigits();
    if (parts.whole.isEmpty() && parts.fraction.isEmpty())
        raiseNotANumber(text);
    if (scanner.skipEither(u'E', u'e'))
        parts.exponent = exponentFrom(scanner, text);
    if (!scanner.atEnd())
        raiseNotANumber(text);
    return parts;
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

// The magnitude rounded half to even, worked out on the decimal digits so that no
// exponent, however large, is ever applied by arithmetic.
qint64 roundedMagnitude(const DecimalNumber &parts, const QString &text)
{
    const QString digits = parts.whole.toString().append(parts.fraction);
    qsizetype leadingZeros = 0;
    while (leadingZeros < digits.size() && digits[leadingZeros] == u'0')
        ++leadingZeros;
    const QStringView significant = QStringView(digits).sliced(leadingZeros);
    if (significant.isEmpty())
        return 0;

    // How many digits stand before the decimal point once the exponent is applied: at zero
    // the value is below one, and below zero it is below one tenth, which rounds to 0.
    const qint64 wholeDigits = qint64(significant.size()) - parts.fraction.size() + parts.exponent;
    if (wholeDigits > kMostWholeDigits)
        raiseOutOfRange(text);
    if (wholeDigits < 0)
        return 0;

    const qsizetype written = std::min(qsizetype(wholeDigits), significant.size());
    qint64 magnitude = 0;
    for (QChar digit : significant.first(written))
        magnitude = magnitude * 10 + (digit.unicode() - u'0');
    for (qint64 zero = written; zero < wholeDigits; ++zero)
        magnitude *= 10;
    if (fractionRoundsUp(significant.sliced(written), magnitude % 2 == 1))
        ++magnitude;
    return magnitude;
}

qint32 fromDecimalText(QStringView number, const QString &text)
{
    const DecimalNumber parts = decimalFrom(number, text);
    const qint64 magnitude = roundedMagnitude(parts, text);
    const qint64 value = parts.negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        raiseOutOfRange(text);
    return qint32(value);
}

} // namespace

qint32 IntervalFromText(const QString &text)
{
    const QStringView number = WithoutBlanks(text);
    if (number.startsWith(u'&'))
        return fromRadixText(number, text);
    return fromDecimalText(number, text);
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
