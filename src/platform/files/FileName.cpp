#include "platform/files/FileName.h"

namespace {

constexpr char16_t kEscapeBase = 0xdc00;
constexpr char16_t kFirstEscape = 0xdc80;
constexpr char16_t kLastEscape = 0xdcff;
constexpr char16_t kReplacement = 0xfffd;

bool isContinuation(uchar byte)
{
    return byte >= 0x80 && byte <= 0xbf;
}

// The length of the valid UTF-8 sequence at the start of bytes, or 0 when there is none:
// overlong forms, surrogates and code points above U+10FFFF are refused, as the UTF-8
// definition demands.
qsizetype validSequenceLength(QByteArrayView bytes)
{
    const auto lead = static_cast<uchar>(bytes.front());
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    uchar secondLow = 0x80;
    uchar secondHigh = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        secondLow = lead == 0xe0 ? 0xa0 : secondLow;
        secondHigh = lead == 0xed ? 0x9f : secondHigh;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        secondLow = lead == 0xf0 ? 0x90 : secondLow;
        secondHigh = lead == 0xf4 ? 0x8f : secondHigh;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    const auto second = static_cast<uchar>(bytes[1]);
    if (second < secondLow || second > secondHigh)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (!isContinuation(static_cast<uchar>(bytes[i])))
            return 0;
    }
    return length;
}

bool isEscape(QChar unit)
{
    return unit.unicode() >= kFirstEscape && unit.unicode() <= kLastEscape;
}

bool startsPair(QStringView text, qsizetype at)
{
    return text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
}

} // namespace

namespace FileName {

QString fromBytes(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = validSequenceLength(bytes.sliced(at));
        if (length == 0) {
            text.append(QChar(static_cast<char16_t>(kEscapeBase + static_cast<uchar>(bytes[at]))));
            ++at;
            continue;
        }
        text.append(QString::fromUtf8(bytes.sliced(at, length)));
        at += length;
    }
    return text;
}

std::optional<QByteArray> toBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        const QChar unit = text[at];
        if (startsPair(text, at)) {
            bytes.append(text.sliced(at, 2).toUtf8());
            at += 2;
            continue;
        }
        if (isEscape(unit))
            bytes.append(static_cast<char>(unit.unicode() - kEscapeBase));
        else if (unit.isSurrogate() || unit.isNull())
            return std::nullopt;
        else
            bytes.append(text.sliced(at, 1).toUtf8());
        ++at;
    }
    return bytes;
}

QString forDisplay(QStringView text)
{
    QString shown = text.toString();
    for (qsizetype at = 0; at < shown.size(); ++at) {
        if (startsPair(shown, at))
            ++at;
        else if (shown[at].isSurrogate())
            shown[at] = QChar(kReplacement);
    }
    return shown;
}

} // namespace FileName
