#include "settings/store/FileReplacement.h"

#include "platform/files/FileDescriptor.h"
#include "platform/files/FileOwner.h"
#include "platform/runtime/RuntimeError.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Long enough for any honest writer; a lock that stays longer is reported rather than waited on
// for ever.
constexpr std::chrono::milliseconds kLockTimeout{20000};
// Short pauses give a waiter a fair chance while other processes save back to back.
constexpr std::chrono::milliseconds kLockRetryPause{1};

QString targetOf(const QString &path)
{
    const QFileInfo info(path);
    // Only a link to a regular file is followed; anything else is refused when it is read.
    return info.isSymLink() && info.isFile() ? info.canonicalFilePath() : path;
}

QByteArray nativeName(const QString &path)
{
    return QFile::encodeName(path);
}

bool sameFile(int fd, const QByteArray &name)
{
    struct stat opened = {};
    struct stat named = {};
    return ::fstat(fd, &opened) == 0 && ::lstat(name.constData(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

bool lockWaiting(int fd)
{
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

QString lastError()
{
    return qt_error_string(errno);
}

} // namespace

FileReplacement::FileReplacement(const QString &path, QString source)
    : m_target(targetOf(path)), m_lockPath(m_target + QStringLiteral(".lock")), m_source(std::move(source))
{
    const QDeadlineTimer deadline(kLockTimeout);
    while (!tryLock()) {
        if (deadline.hasExpired())
            raise(m_lockPath, QStringLiteral("the file stayed locked by another program"));
        std::this_thread::sleep_for(kLockRetryPause);
    }
}

FileReplacement::~FileReplacement()
{
    if (m_lock < 0)
        return;
    // Still ours: nobody removes a lock file while its flock() is held.
    ::unlink(nativeName(m_lockPath).constData());
    ::close(m_lock);
}

void FileReplacement::commit(const QByteArray &contents)
{
    keepOwnerAndPermissions();
    write(contents);
    if (::rename(nativeName(m_lockPath).constData(), nativeName(m_target).constData()) != 0)
        raise(m_target, QStringLiteral("cannot replace the file: %1").arg(lastError()));
    ::close(m_lock);
    m_lock = -1;
    // So that the rename outlasts a power cut; the new file is in place either way.
    const int directory =
        ::open(nativeName(QFileInfo(m_target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
}

bool FileReplacement::tryLock()
{
    const QByteArray name = nativeName(m_lockPath);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno != EEXIST)
            raise(m_lockPath, QStringLiteral("cannot create the lock file: %1").arg(lastError()));
        removeIfAbandoned();
        return false;
    }
    if (!lockWaiting(fd)) {
        const QString reason = lastError();
        ::close(fd);
        raise(m_lockPath, QStringLiteral("cannot lock the lock file: %1").arg(reason));
    }
    // A process that found the file before the flock() took it for abandoned and removed it.
    if (!sameFile(fd, name)) {
        ::close(fd);
        return false;
    }
    m_lock = fd;
    return true;
}

void FileReplacement::removeIfAbandoned() const
{
    const QByteArray name = nativeName(m_lockPath);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    // A holder keeps its flock() to its end, so nobody holds one on a lock file left by a process
    // that died. (Nor on one created this instant: its creator then finds it gone and retries.)
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, name))
        ::unlink(name.constData());
    ::close(fd);
}

void FileReplacement::keepOwnerAndPermissions() const
{
    const QByteArray target = nativeName(m_target);
    struct stat status = {};
    if (::stat(target.constData(), &status) != 0)
        return;
    // A rename would replace a read-only file; the permissions are the user's refusal.
    if (::access(target.constData(), W_OK) != 0)
        raise(m_target, QStringLiteral("the file is not writable: %1").arg(lastError()));
    // Before the mode: a change of owner clears the set-user-id and set-group-id bits.
    if (!KeepOwnerOf(m_target, m_lock))
        raise(m_target, QStringLiteral("cannot keep the file's owner and group: %1").arg(lastError()));
    if (::fchmod(m_lock, status.st_mode & 07777) != 0)
        raise(m_target, QStringLiteral("cannot keep the file's permissions: %1").arg(lastError()));
}

void FileReplacement::write(const QByteArray &contents) const
{
    if (!WriteFully(m_lock, contents.constData(), contents.size()))
        raise(m_target, QStringLiteral("cannot write the file: %1").arg(lastError()));
    // Only contents on the disk may take the old file's place.
    if (::fsync(m_lock) != 0)
        raise(m_target, QStringLiteral("cannot write the file: %1").arg(lastError()));
}

void FileReplacement::raise(const QString &path, const QString &reason) const
{
    RaiseFileAccessError(m_source, path, reason);
}
