#pragma once

#include <QString>
#include <QtNumeric>

#include <concepts>
#include <exception>

// A run-time error raised by a platform operation. Only the photo cycle catches these;
// anywhere else they reach the error report, which ends the program.
class RuntimeError : public std::exception
{
public:
    // The error numbers users of the original desktop know these by.
    enum Number {
        Overflow = 6,
        TypeMismatch = 13,
        FileNotFound = 53,
        PathFileAccess = 75,
        PathNotFound = 76,
        InvalidPicture = 481,
        InvalidPropertyValue = 380,
    };

    RuntimeError(Number number, QString source, QString detail = {});

    Number number() const { return m_number; }
    // The standard description of the number, for example "Type mismatch".
    QString description() const;
    // What raised the error, for example "GetSetting(\"Interval\")".
    const QString &source() const { return m_source; }
    // The library's own message where one exists, otherwise empty.
    const QString &detail() const { return m_detail; }
    // Description, source and detail in one text, for reports and message boxes.
    QString message() const;

    const char *what() const noexcept override { return m_what.constData(); }

    static QString descriptionOf(Number number);

private:
    Number m_number;
    QString m_source;
    QString m_detail;
    QByteArray m_what;
};

// Raises RuntimeError(PathFileAccess) from source, its detail naming path and the reason.
[[noreturn]] void RaiseFileAccessError(const QString &source, const QString &path, const QString &reason);

// Counter and interval arithmetic traps on overflow instead of wrapping: the result does
// not fit its type, so the operation raises RuntimeError(Overflow) naming source.
template <std::integral T>
T CheckedMultiply(T left, T right, const QString &source)
{
    T result{};
    if (qMulOverflow(left, right, &result))
        throw RuntimeError(RuntimeError::Overflow, source);
    return result;
}

template <std::integral T>
T CheckedAdd(T left, T right, const QString &source)
{
    T result{};
    if (qAddOverflow(left, right, &result))
        throw RuntimeError(RuntimeError::Overflow, source);
    return result;
}
