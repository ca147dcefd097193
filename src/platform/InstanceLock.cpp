#include "platform/InstanceLock.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString kLockFileName = QStringLiteral("Dravik2001.lock");

void warnRunningAlone(const QString &path, int error)
{
    std::fprintf(stderr, "Dravik2001: cannot create the instance lock %s (%s); running as if alone.\n",
                 qPrintable(path), std::strerror(error));
}

} // namespace

QString InstanceLock::defaultRuntimeDirectory()
{
    const QString fromEnvironment = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

InstanceLock::InstanceLock(const QString &runtimeDirectory)
{
    const QString path = QDir(runtimeDirectory).filePath(kLockFileName);
    QDir().mkpath(runtimeDirectory);
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        warnRunningAlone(path, errno);
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        // The process id in the file is for people looking at it; the lock is what counts.
        const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
        if (::ftruncate(m_fd, 0) != 0 || ::write(m_fd, pid.constData(), static_cast<size_t>(pid.size())) < 0)
            std::fprintf(stderr, "Dravik2001: cannot write %s: %s\n", qPrintable(path), std::strerror(errno));
        return;
    }
    const int error = errno;
    ::close(m_fd);
    m_fd = -1;
    if (error == EWOULDBLOCK)
        m_anotherRuns = true;
    else
        warnRunningAlone(path, error);
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
