// Interval text: IntervalFromText, and the number text NumberText writes for it.
#include "FuzzCheck.h"
#include "platform/runtime/RuntimeError.h"
#include "settings/NumberText.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

QStringView withoutBlanks(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

// The value of hexadecimal or octal text ("&H1F", "&O17", "&17"), read independently of the
// program; nothing for other text, and UINT64_MAX beyond 64 bits.
std::optional<quint64> radixValue(const QString &text)
{
    QStringView number = withoutBlanks(text);
    if (!number.startsWith(u'&'))
        return std::nullopt;
    number = number.sliced(1);
    const bool hex = number.startsWith(u'H', Qt::CaseInsensitive);
    if (hex || number.startsWith(u'O', Qt::CaseInsensitive))
        number = number.sliced(1);
    const QByteArray digits = number.toLatin1();
    if (digits.isEmpty() || QString::fromLatin1(digits) != number)
        return std::nullopt;
    quint64 value = 0;
    const auto [end, error] = std::from_chars(digits.cbegin(), digits.cend(), value, hex ? 16 : 8);
    if (end != digits.cend() || (error != std::errc() && error != std::errc::result_out_of_range))
        return std::nullopt;
    return error == std::errc() ? value : std::numeric_limits<quint64>::max();
}

// Hexadecimal and octal values are taken where no 16- or 32-bit sign bit is set; the others
// are out of range, and the error says which width makes them negative.
void requireRadixRule(quint64 expected, const QString &text)
{
    const bool signBit16 = expected >= 0x8000 && expected <= 0xffff;
    const bool signBit32 = expected >= 0x80000000 && expected <= 0xffffffff;
    try {
        const qint32 value = IntervalFromText(text);
        require(!signBit16 && !signBit32 && expected <= 0x7fffffff && quint64(value) == expected,
                "a hexadecimal or octal interval is its value");
    } catch (const RuntimeError &error) {
        require(error.number() == RuntimeError::Overflow && (signBit16 || signBit32 || expected > 0x7fffffff),
                "only a hexadecimal or octal value out of range is refused");
        if (signBit16 || signBit32)
            require(error.detail().contains(signBit16 ? QStringLiteral("16-bit") : QStringLiteral("32-bit")),
                    "the error names the width whose sign bit is set");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(bytesOf(data, size));
    try {
        const qint32 value = IntervalFromText(text);
        require(IntervalFromText(NumberText(value)) == value, "a whole number's text reads back");
    } catch (const RuntimeError &error) {
        require(error.number() == RuntimeError::TypeMismatch || error.number() == RuntimeError::Overflow,
                "bad interval text is a type mismatch or an overflow");
    }
    if (const std::optional<quint64> expected = radixValue(text))
        requireRadixRule(*expected, text);

    // Any double in range, written as text, reads back rounded half to even.
    double number = 0;
    if (size != sizeof number)
        return 0;
    std::memcpy(&number, data, sizeof number);
    if (!std::isfinite(number) || std::fabs(number) > std::numeric_limits<qint32>::max())
        return 0;
    require(IntervalFromText(NumberText(number)) == qint32(std::nearbyint(number)),
            "a number's text reads back rounded half to even");
    return 0;
}
