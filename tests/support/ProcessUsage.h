#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// What the kernel counts a running process has used, read from /proc: CPU time in clock ticks
// (user and system, of all its threads or of one) and its peak resident memory. Nothing when
// the process is gone or the file does not read as expected.
namespace ProcessUsage {

// utime + stime from the text of a /proc/<pid>/stat or /proc/<pid>/task/<tid>/stat file.
std::optional<qint64> cpuTicksFromStat(const QByteArray &stat);
// VmHWM, in kB, from the text of a /proc/<pid>/status file.
std::optional<qint64> peakResidentKilobytesFromStatus(const QByteArray &status);

std::optional<qint64> processCpuTicks(qint64 pid);
std::optional<qint64> threadCpuTicks(qint64 pid, qint64 tid);
std::optional<qint64> peakResidentKilobytes(qint64 pid);

// The kernel's clock ticks per second (USER_HZ).
qint64 ticksPerSecond();

} // namespace ProcessUsage
