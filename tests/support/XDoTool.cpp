#include "XDoTool.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

namespace XDoTool {

QString run(const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    const bool finished = process.waitForFinished(10000);
    const bool succeeded = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (ok)
        *ok = succeeded;
    if (!succeeded && !ok)
        qWarning("xdotool %s failed: %s", qPrintable(arguments.join(QLatin1Char(' '))),
                 process.readAllStandardError().constData());
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

static QString waitForSearch(const QStringList &search, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        bool found = false;
        const QString ids =
            run(QStringList{QStringLiteral("search"), QStringLiteral("--onlyvisible")} + search, &found);
        if (found && !ids.isEmpty())
            return ids.split(QLatin1Char('\n')).constFirst();
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return {};
}

QString waitForWindow(const QString &title, int timeoutMs)
{
    return waitForSearch({QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')}, timeoutMs);
}

QString waitForWindowOfProcess(qint64 pid, int timeoutMs)
{
    return waitForSearch({QStringLiteral("--pid"), QString::number(pid)}, timeoutMs);
}

QStringList windowsOfProcess(qint64 pid)
{
    bool found = false;
    const QString ids =
        run({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid)},
            &found);
    if (!found || ids.isEmpty())
        return {};
    return ids.split(QLatin1Char('\n'));
}

// xdotool's --shell output: NAME=value lines.
static QHash<QString, QString> shellValues(const QStringList &arguments)
{
    bool ok = false;
    const QString output = run(arguments, &ok);
    QHash<QString, QString> values;
    if (!ok)
        return values;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1));
    }
    return values;
}

QRect windowGeometry(const QString &windowId)
{
    const QHash<QString, QString> values =
        shellValues({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), windowId});
    if (!values.contains(QStringLiteral("WIDTH")))
        return {};
    return QRect(values.value(QStringLiteral("X")).toInt(), values.value(QStringLiteral("Y")).toInt(),
                 values.value(QStringLiteral("WIDTH")).toInt(), values.value(QStringLiteral("HEIGHT")).toInt());
}

QString windowUnderPointer()
{
    return shellValues({QStringLiteral("getmouselocation"), QStringLiteral("--shell")}).value(QStringLiteral("WINDOW"));
}

qint64 windowPid(const QString &windowId)
{
    bool ok = false;
    const QString pid = run({QStringLiteral("getwindowpid"), windowId}, &ok);
    return ok ? pid.toLongLong() : 0;
}

bool mouseMove(int x, int y)
{
    bool ok = false;
    run({QStringLiteral("mousemove"), QString::number(x), QString::number(y)}, &ok);
    return ok;
}

bool click(int button)
{
    bool ok = false;
    run({QStringLiteral("click"), QString::number(button)}, &ok);
    return ok;
}

bool key(const QString &keyName)
{
    bool ok = false;
    run({QStringLiteral("key"), keyName}, &ok);
    return ok;
}

bool keyInWindow(const QString &windowId, const QString &keyName)
{
    bool ok = false;
    run({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId}, &ok);
    return ok && key(keyName);
}

QString parentOf(const QString &window)
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-tree"), QStringLiteral("-id"), window});
    xwininfo.waitForFinished(5000);
    const QRegularExpressionMatch parent = QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)"))
                                               .match(QString::fromLocal8Bit(xwininfo.readAllStandardOutput()));
    return parent.hasMatch() ? QString::number(parent.captured(1).toULongLong(nullptr, 16)) : QString();
}

} // namespace XDoTool
