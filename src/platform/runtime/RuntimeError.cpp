#include "platform/runtime/RuntimeError.h"

#include <QDir>

RuntimeError::RuntimeError(Number number, QString source, QString detail)
    : m_number(number), m_source(std::move(source)), m_detail(std::move(detail))
{
    m_what = message().toUtf8();
}

QString RuntimeError::descriptionOf(Number number)
{
    switch (number) {
    case Overflow:
        return QStringLiteral("Overflow");
    case TypeMismatch:
        return QStringLiteral("Type mismatch");
    case FileNotFound:
        return QStringLiteral("File not found");
    case PathFileAccess:
        return QStringLiteral("Path/File access error");
    case PathNotFound:
        return QStringLiteral("Path not found");
    case InvalidPicture:
        return QStringLiteral("Invalid picture");
    case InvalidPropertyValue:
        return QStringLiteral("Invalid property value");
    }
    return QStringLiteral("Application-defined or object-defined error");
}

QString RuntimeError::description() const
{
    return descriptionOf(m_number);
}

QString RuntimeError::message() const
{
    QString text = QStringLiteral("Run-time error '%1': %2 in %3").arg(int(m_number)).arg(description(), m_source);
    if (!m_detail.isEmpty())
        text += QStringLiteral(" (%1)").arg(m_detail);
    return text;
}

void RaiseFileAccessError(const QString &source, const QString &path, const QString &reason)
{
    throw RuntimeError(RuntimeError::PathFileAccess, source,
                       QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
}
