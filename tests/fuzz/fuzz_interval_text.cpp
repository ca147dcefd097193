// Interval text: IntervalFromText, and the number text NumberText writes for it.
#include "FuzzCheck.h"
#include "platform/runtime/RuntimeError.h"
#include "settings/Interval.h"

#include <QString>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool isRadixText(const QString &text)
{
    return text.trimmed().startsWith(u'&');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(bytesOf(data, size));
    try {
        const qint32 value = IntervalFromText(text);
        if (isRadixText(text)) {
            require(value >= 0, "a hexadecimal or octal interval is not negative");
            require(value <= 0x7fff || value >= 0x10000, "no 16-bit pattern with its sign bit set is read");
        }
        require(IntervalFromText(NumberText(value)) == value, "a whole number's text reads back");
    } catch (const RuntimeError &error) {
        require(error.number() == RuntimeError::TypeMismatch || error.number() == RuntimeError::Overflow,
                "bad interval text is a type mismatch or an overflow");
    }

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
