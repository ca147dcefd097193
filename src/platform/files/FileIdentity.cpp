#include "platform/files/FileIdentity.h"

#include "platform/files/FileName.h"

#include <sys/stat.h>

namespace {

constexpr qint64 kNanosecondsPerSecond = 1000000000;

} // namespace

qint64 Nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

std::optional<FileIdentity> IdentityOfFile(const QString &path)
{
    const std::optional<QByteArray> name = FileName::toBytes(path);
    struct stat info;
    if (!name || ::stat(name->constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size), Nanoseconds(info.st_mtim),
                        Nanoseconds(info.st_ctim)};
}
