#include "settings/store/IniValue.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isOctalDigit(char16_t c)
{
    return c >= u'0' && c <= u'7';
}

// The control characters with a one-letter escape, and their letters (\n for a line feed).
struct LetterEscape
{
    char16_t character;
    char16_t letter;
};
constexpr std::array<LetterEscape, 7> kLetterEscapes{{
    {u'\a', u'a'},
    {u'\b', u'b'},
    {u'\f', u'f'},
    {u'\n', u'n'},
    {u'\r', u'r'},
    {u'\t', u't'},
    {u'\v', u'v'},
}};

// The letter of the one-letter escape for the control character c, or 0 when c has none.
char16_t escapeLetter(char16_t c)
{
    const auto *found = std::find_if(kLetterEscapes.begin(), kLetterEscapes.end(),
                                     [c](const LetterEscape &entry) { return entry.character == c; });
    return found == kLetterEscapes.end() ? 0 : found->letter;
}

// What the one-letter escape stands for, or 0 when the letter starts none.
char16_t escapedCharacter(char16_t letter)
{
    if (letter == u'"' || letter == u'\'' || letter == u'?' || letter == u'\\')
        return letter;
    const auto *found = std::find_if(kLetterEscapes.begin(), kLetterEscapes.end(),
                                     [letter](const LetterEscape &entry) { return entry.letter == letter; });
    return found == kLetterEscapes.end() ? 0 : found->character;
}

uint digitValue(char16_t digit)
{
    return digit <= u'9' ? uint(digit - u'0') : uint((digit | 0x20) - u'a' + 10);
}

// Reads the digits of a numeric escape from at on, as many as there are, as QSettings does;
// nothing when there are none or the number does not fit a UTF-16 unit.
std::optional<char16_t> numericEscape(QStringView text, qsizetype &at, int base)
{
    const qsizetype start = at;
    uint value = 0;
    while (at < text.size()) {
        const char16_t c = text[at].unicode();
        if (base == 16 ? !isHexDigit(c) : !isOctalDigit(c))
            break;
        value = value * uint(base) + digitValue(c);
        if (value > 0xffff)
            return std::nullopt;
        ++at;
    }
    if (at == start)
        return std::nullopt;
    return char16_t(value);
}

// The character the escape starting after a backslash at stands for; at moves past it.
std::optional<char16_t> escape(QStringView text, qsizetype &at)
{
    if (at == text.size())
        return std::nullopt;
    const char16_t letter = text[at].unicode();
    if (letter == u'x')
        return numericEscape(text, ++at, 16);
    if (isOctalDigit(letter))
        return numericEscape(text, at, 8);
    const char16_t character = escapedCharacter(letter);
    if (character == 0)
        return std::nullopt;
    ++at;
    return character;
}

// text with its escapes replaced; nothing when a backslash starts no escape or, inside quotes,
// when a quote is not escaped.
std::optional<QString> unescaped(QStringView text, bool quoted)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        const QChar c = text[at++];
        if (c == u'"' && quoted)
            return std::nullopt;
        if (c != u'\\') {
            result += c;
            continue;
        }
        const std::optional<char16_t> character = escape(text, at);
        if (!character)
            return std::nullopt;
        result += QChar(*character);
    }
    return result;
}

QString withoutAtEscape(QString text)
{
    if (text.startsWith(QStringLiteral("@@")))
        text.remove(0, 1);
    return text;
}

// The lone surrogates FileName stands bytes that are not UTF-8 for.
bool isFileNameEscape(QChar c)
{
    return c.unicode() >= 0xdc80 && c.unicode() <= 0xdcff;
}

QString hexEscape(char16_t c)
{
    return QStringLiteral("\\x") + QString::number(c, 16);
}

} // namespace

namespace IniValue {

QString fromFile(QStringView written)
{
    if (written.size() >= 2 && written.front() == u'"' && written.back() == u'"') {
        if (const std::optional<QString> text = unescaped(written.sliced(1, written.size() - 2), true))
            return withoutAtEscape(*text);
    }
    if (const std::optional<QString> text = unescaped(written, false)) {
        const QString decoded = withoutAtEscape(*text);
        if (toFile(decoded) == written)
            return decoded;
    }
    return written.toString();
}

QString toFile(const QString &value)
{
    const QString text = value.startsWith(u'@') ? u'@' + value : value;
    QString result;
    result.reserve(text.size());
    bool needsQuotes = false;
    // After \0 or \xN, a hex digit would read as part of the number.
    bool escapeHexDigit = false;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar ch = text[at];
        const char16_t c = ch.unicode();
        needsQuotes = needsQuotes || c == u';' || c == u',' || c == u'=';
        if (escapeHexDigit && isHexDigit(c)) {
            result += hexEscape(c);
            continue;
        }
        escapeHexDigit = false;
        if (ch.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            result += text.sliced(at++, 2);
        } else if (isFileNameEscape(ch)) {
            // A byte of a file name that is not UTF-8: QSettings reads \xdcNN back as the same
            // escape, where the byte itself would come back as a replacement character.
            result += hexEscape(c);
            escapeHexDigit = true;
        } else if (c == u'"' || c == u'\\') {
            result += u'\\';
            result += ch;
        } else if (const char16_t letter = escapeLetter(c)) {
            result += u'\\';
            result += QChar(letter);
        } else if (c < 0x20) {
            result += c == 0 ? QStringLiteral("\\0") : hexEscape(c);
            escapeHexDigit = true;
        } else {
            result += ch;
        }
    }
    if (needsQuotes || result.startsWith(u' ') || result.endsWith(u' '))
        return u'"' + result + u'"';
    return result;
}

} // namespace IniValue
