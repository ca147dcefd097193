#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Runs a command to its end, its standard output thrown away, and gives the CPU time (user
// and system) the kernel counted for it, in seconds: the child's own, from wait4, whatever
// else the machine was busy with. Nothing, and why in *failure, when the command could not
// be started or did not exit with status 0.
std::optional<double> runForCpuSeconds(const QStringList &command, QString *failure);
