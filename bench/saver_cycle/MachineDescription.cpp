#include "saver_cycle/MachineDescription.h"

#include <QFile>
#include <QList>
#include <QtGlobal>

#include <sys/utsname.h>
#include <unistd.h>

namespace {

QByteArray procFile(const char *path)
{
    QFile file(QString::fromLatin1(path));
    // /proc files report no size, so they are read whole rather than up to "the end".
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString MachineDescription::cpu()
{
    QString model = QStringLiteral("unknown CPU");
    for (const QByteArray &line : procFile("/proc/cpuinfo").split('\n')) {
        if (line.startsWith("model name")) {
            model = QString::fromLocal8Bit(line.mid(line.indexOf(':') + 1).trimmed());
            break;
        }
    }
    return QStringLiteral("%1, %2 cores online").arg(model).arg(::sysconf(_SC_NPROCESSORS_ONLN));
}

QString MachineDescription::kernel()
{
    utsname name{};
    if (::uname(&name) != 0)
        return QStringLiteral("unknown kernel");
    return QStringLiteral("%1 %2 %3")
        .arg(QString::fromLocal8Bit(name.sysname), QString::fromLocal8Bit(name.release),
             QString::fromLocal8Bit(name.machine));
}

QString MachineDescription::qt()
{
    return QStringLiteral("Qt %1 (built against %2)")
        .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
}

QString MachineDescription::loadAverage()
{
    const QList<QByteArray> fields = procFile("/proc/loadavg").split(' ');
    if (fields.size() < 3)
        return QStringLiteral("unknown");
    return QStringLiteral("%1 %2 %3 (1, 5, 15 min)")
        .arg(QString::fromLatin1(fields.at(0)), QString::fromLatin1(fields.at(1)), QString::fromLatin1(fields.at(2)));
}
