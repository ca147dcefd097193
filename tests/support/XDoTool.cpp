#include "XDoTool.h"

#include <QDeadlineTimer>
#include <QProcess>
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

} // namespace XDoTool
