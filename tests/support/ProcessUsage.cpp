#include "ProcessUsage.h"

#include <QFile>
#include <QList>
#include <QString>

#include <unistd.h>

namespace {

// The 1-based field numbers of proc(5), counted from the process's state (field 3).
constexpr int kStateField = 3;
constexpr int kUtimeField = 14;
constexpr int kStimeField = 15;

std::optional<QByteArray> readProcFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // /proc files report no size, so they are read whole rather than up to "the end".
    return file.readAll();
}

std::optional<qint64> number(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<qint64> ProcessUsage::cpuTicksFromStat(const QByteArray &stat)
{
    // The command name (field 2) is in parentheses and may itself hold spaces and ')', so
    // the fields are counted from the last ')'.
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(nameEnd + 1).simplified().split(' ');
    if (fields.size() <= kStimeField - kStateField)
        return std::nullopt;
    const std::optional<qint64> user = number(fields.at(kUtimeField - kStateField));
    const std::optional<qint64> system = number(fields.at(kStimeField - kStateField));
    if (!user || !system)
        return std::nullopt;
    return *user + *system;
}

std::optional<qint64> ProcessUsage::peakResidentKilobytesFromStatus(const QByteArray &status)
{
    for (const QByteArray &line : status.split('\n')) {
        if (!line.startsWith("VmHWM:"))
            continue;
        const QList<QByteArray> fields = line.mid(6).simplified().split(' ');
        if (fields.size() != 2 || fields.at(1) != "kB")
            return std::nullopt;
        return number(fields.at(0));
    }
    return std::nullopt;
}

std::optional<qint64> ProcessUsage::processCpuTicks(qint64 pid)
{
    const std::optional<QByteArray> stat = readProcFile(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat ? cpuTicksFromStat(*stat) : std::nullopt;
}

std::optional<qint64> ProcessUsage::threadCpuTicks(qint64 pid, qint64 tid)
{
    const std::optional<QByteArray> stat = readProcFile(QStringLiteral("/proc/%1/task/%2/stat").arg(pid).arg(tid));
    return stat ? cpuTicksFromStat(*stat) : std::nullopt;
}

std::optional<qint64> ProcessUsage::peakResidentKilobytes(qint64 pid)
{
    const std::optional<QByteArray> status = readProcFile(QStringLiteral("/proc/%1/status").arg(pid));
    return status ? peakResidentKilobytesFromStatus(*status) : std::nullopt;
}

qint64 ProcessUsage::ticksPerSecond()
{
    return ::sysconf(_SC_CLK_TCK);
}
