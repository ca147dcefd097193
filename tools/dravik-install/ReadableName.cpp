#include "ReadableName.h"

#include "platform/files/FileName.h"

namespace ReadableName {

namespace {

bool isStrayByte(QStringView name, qsizetype at)
{
    const char16_t unit = name[at].unicode();
    const bool lowOfPair = at > 0 && name[at - 1].isHighSurrogate();
    return unit >= 0xdc80 && unit <= 0xdcff && !lowOfPair;
}

bool hasStrayByte(QStringView name)
{
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (isStrayByte(name, at))
            return true;
    }
    return false;
}

} // namespace

QString of(const QString &name)
{
    QString shown;
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (isStrayByte(name, at))
            shown += QStringLiteral("\\x") + QString::number(name[at].unicode() & 0xff, 16).toUpper();
        else
            shown += name[at];
    }
    // Any other lone surrogate names no file; it shows as the replacement character.
    return FileName::forDisplay(shown);
}

QString quoted(const QString &name)
{
    const QString text = QLatin1Char('"') + of(name) + QLatin1Char('"');
    return hasStrayByte(name) ? text + QStringLiteral(" (each \\xNN is a byte that is not UTF-8)") : text;
}

} // namespace ReadableName
