#include "platform/process/InstanceLock.h"

#include "platform/files/PrivateFolder.h"
#include "platform/runtime/Warning.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kLockFileName[] = "Dravik2001.lock";

void warnRunningAlone(const QString &path, const char *reason)
{
    Warn(QStringLiteral("cannot create the instance lock %1 (%2); running as if alone.")
             .arg(path, QString::fromLocal8Bit(reason)));
}

QString userName()
{
    passwd entry = {};
    passwd *found = nullptr;
    char buffer[1024];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QFile::decodeName(found->pw_name);
    return QString::number(::geteuid());
}

// Why the lock's folder may not hold the lock, or nothing.
const char *whyFolderNotPrivate(const PrivateFolder &folder)
{
    switch (folder.fault) {
    case FolderFault::None:
        return nullptr;
    case FolderFault::NotOpened:
        return std::strerror(folder.error);
    case FolderFault::SymbolicLink:
        return "its folder is a symbolic link";
    case FolderFault::OtherOwner:
        return "its folder belongs to another user";
    case FolderFault::OpenToOthers:
        return "its folder is open to other users";
    }
    return nullptr;
}

// Only a file of our own making is locked and written: a link or another file put in its place
// (by mistake or on purpose) must not have the process id written into whatever it leads to.
const char *whyNotOurs(int fd)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return std::strerror(errno);
    if (!S_ISREG(status.st_mode))
        return "it is not a regular file";
    if (status.st_uid != ::geteuid())
        return "it belongs to another user";
    if (status.st_nlink != 1)
        return "it has more than one name (a hard link)";
    return nullptr;
}

} // namespace

QString InstanceLock::defaultRuntimeDirectory()
{
    const QString fromEnvironment = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // Where Qt's programs go without XDG_RUNTIME_DIR (as under a daemon that clears the
    // environment). Qt's own answer is empty when that folder is someone else's, which would
    // put the lock in whatever the current directory is.
    return QDir::tempPath() + QStringLiteral("/runtime-") + userName();
}

InstanceLock::InstanceLock(const QString &runtimeDirectory)
{
    const QString path = QDir(runtimeDirectory).filePath(QLatin1String(kLockFileName));
    if (!QDir::isAbsolutePath(runtimeDirectory)) {
        warnRunningAlone(path, "its folder is not an absolute path");
        return;
    }
    const QByteArray folder = QFile::encodeName(runtimeDirectory);
    ::mkdir(folder.constData(), 0700);
    const PrivateFolder opened = OpenPrivateFolder(folder);
    if (const char *reason = whyFolderNotPrivate(opened)) {
        warnRunningAlone(path, reason);
        return;
    }
    // No link is followed, and a named pipe or device put there does not block the open.
    m_fd = ::openat(opened.fd.get(), kLockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                    0600);
    const int openError = errno;
    if (m_fd < 0) {
        warnRunningAlone(path, openError == ELOOP ? "it is a symbolic link" : std::strerror(openError));
        return;
    }
    if (const char *reason = whyNotOurs(m_fd)) {
        ::close(m_fd);
        m_fd = -1;
        warnRunningAlone(path, reason);
        return;
    }
    // A record lock, not flock(): a child forked by a library (a helper it starts) inherits an
    // flock() and keeps it after this process has gone, which would block every later copy.
    struct flock wholeFile = {};
    wholeFile.l_type = F_WRLCK;
    wholeFile.l_whence = SEEK_SET;
    if (::fcntl(m_fd, F_SETLK, &wholeFile) == 0) {
        // The process id in the file is for people looking at it; the lock is what counts.
        const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
        if (::ftruncate(m_fd, 0) != 0 || ::write(m_fd, pid.constData(), static_cast<size_t>(pid.size())) < 0)
            Warn(QStringLiteral("cannot write %1: %2").arg(path, qt_error_string(errno)));
        return;
    }
    const int error = errno;
    ::close(m_fd);
    m_fd = -1;
    if (error == EAGAIN || error == EACCES)
        m_anotherRuns = true;
    else
        warnRunningAlone(path, std::strerror(error));
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
