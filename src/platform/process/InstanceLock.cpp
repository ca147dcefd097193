#include "platform/process/InstanceLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kLockFileName[] = "Dravik2001.lock";

void warnRunningAlone(const QString &path, const char *reason)
{
    std::fprintf(stderr, "Dravik2001: cannot create the instance lock %s (%s); running as if alone.\n",
                 qPrintable(path), reason);
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

// Anyone who may write into the lock's folder may put a link or a file of their own where the
// lock goes, and a folder of another user's is not ours to write in, so only the user's own
// private folder holds the lock. The folder is judged as opened, so it cannot be swapped
// between the check and the use.
const char *whyFolderNotPrivate(int folderFd)
{
    struct stat status = {};
    if (::fstat(folderFd, &status) != 0)
        return std::strerror(errno);
    if (status.st_uid != ::geteuid())
        return "its folder belongs to another user";
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return "its folder is open to other users";
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
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0) {
        const int error = errno;
        // A link opened this way fails as "not a directory", whatever it leads to.
        struct stat status = {};
        const bool isLink = ::lstat(folder.constData(), &status) == 0 && S_ISLNK(status.st_mode);
        warnRunningAlone(path, isLink ? "its folder is a symbolic link" : std::strerror(error));
        return;
    }
    if (const char *reason = whyFolderNotPrivate(folderFd)) {
        ::close(folderFd);
        warnRunningAlone(path, reason);
        return;
    }
    // No link is followed, and a named pipe or device put there does not block the open.
    m_fd = ::openat(folderFd, kLockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    const int openError = errno;
    ::close(folderFd);
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
            std::fprintf(stderr, "Dravik2001: cannot write %s: %s\n", qPrintable(path), std::strerror(errno));
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
