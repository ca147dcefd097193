#pragma once

#include <QString>

// The machine a figure was measured on, in one line each: the CPU model and how many cores are
// online, the kernel, the Qt version, and how busy the machine was (the load average).
namespace MachineDescription {

QString cpu();
QString kernel();
QString qt();
QString loadAverage();

} // namespace MachineDescription
