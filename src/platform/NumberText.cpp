#include "NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

QString NumberText(double value)
{
    // Negative zero is zero.
    if (value == 0.0)
        return QStringLiteral("0");

    const double magnitude = std::fabs(value);
    const std::chars_format format = magnitude >= 1e-4 && magnitude < 1e15 ? std::chars_format::fixed
                                                                           : std::chars_format::scientific;
    // Both formats stay far below this within their ranges (at most 17 significant digits).
    std::array<char, 64> buffer{};
    const std::to_chars_result result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format);
    Q_ASSERT(result.ec == std::errc());
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}
