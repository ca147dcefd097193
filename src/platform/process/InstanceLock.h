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
    // Where the lock lives when the runtime directory is not given explicitly: XDG_RUNTIME_DIR,
    // else <temporary directory>/runtime-<user name>, where Qt's programs go without it.
    static QString defaultRuntimeDirectory();

    explicit InstanceLock(const QString &runtimeDirectory = defaultRuntimeDirectory());
    ~InstanceLock();

    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // True when another copy holds the lock. Where no lock can be made at all, the runtime
    // directory is not the user's own private folder (another user's, open to others, a
    // symbolic link, a relative path), or the lock's name holds anything but a regular file of
    // this user's with no other name (a symbolic link, a hard link, a device), the program runs
    // as if alone and says so in one line on stderr; nothing is locked or written anywhere else.
    bool anotherInstanceRuns() const { return m_anotherRuns; }

private:
    int m_fd = -1;
    bool m_anotherRuns = false;
};
