#include "settings/store/RegularFileRead.h"

#include "platform/files/FileDescriptor.h"
#include "platform/runtime/RuntimeError.h"

#include <QFile>

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a directory");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("something else");
}

QString tooLarge(qint64 limit)
{
    const QString size =
        limit % kMegabyte == 0 ? QStringLiteral("%1 MB").arg(limit / kMegabyte) : QStringLiteral("%1 bytes").arg(limit);
    return QStringLiteral("is larger than %1").arg(size);
}

} // namespace

std::optional<QByteArray> readRegularFile(const QString &path, qint64 limit, const QString &source)
{
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        RaiseFileAccessError(source, path, qt_error_string(errno));
    }
    const FileDescriptor file(fd);
    struct stat status = {};
    if (::fstat(file.get(), &status) != 0)
        RaiseFileAccessError(source, path, qt_error_string(errno));
    if (!S_ISREG(status.st_mode))
        RaiseFileAccessError(source, path, QStringLiteral("is %1, not a regular file").arg(kindOf(status.st_mode)));
    if (status.st_size > limit)
        RaiseFileAccessError(source, path, tooLarge(limit));

    // The size only tells where the file ended a moment ago; the limit bounds what is read.
    QByteArray contents;
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
        if (count == 0)
            return contents;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            RaiseFileAccessError(source, path, qt_error_string(errno));
        }
        contents.append(buffer.data(), qsizetype(count));
        if (contents.size() > limit)
            RaiseFileAccessError(source, path, tooLarge(limit));
    }
}
