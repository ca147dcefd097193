#pragma once

#include <QString>

// The previous-instance flag: an exclusive lock on a file in the per-user runtime
// directory, held for the life of the process. The kernel drops the lock when the process
// ends, however it ends, so a copy that crashed or was killed never blocks the next one,
// and two copies started at the same instant cannot both get it. The lock is the process's
// own: a child it forks does not hold it.
class InstanceLock
{
public:
    // Where the lock lives when the runtime directory is not given explicitly.
    static QString defaultRuntimeDirectory();

    explicit InstanceLock(const QString &runtimeDirectory = defaultRuntimeDirectory());
    ~InstanceLock();

    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // True when another copy holds the lock. Where no lock can be made at all, or the lock's
    // name holds anything but a regular file of this user's with no other name (a symbolic
    // link, a hard link, a device), the program runs as if alone and says so on stderr; that
    // file is neither locked nor written.
    bool anotherInstanceRuns() const { return m_anotherRuns; }

private:
    int m_fd = -1;
    bool m_anotherRuns = false;
};
