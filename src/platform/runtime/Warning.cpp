#include "platform/runtime/Warning.h"

#include <cstdio>

void Warn(const QString &text)
{
    WriteStderrLine(QStringLiteral("Dravik2001: ") + text);
}

void WriteStderrLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}
