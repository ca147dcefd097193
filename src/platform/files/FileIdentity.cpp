#include "platform/files/FileIdentity.h"

#include "platform/files/FileName.h"

#include <sys/stat.h>

namespace {

constexpr qint64 kNanosecondsPerSecond = 1000000000;

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

} // namespace

std::optional<FileIdentity> IdentityOfFile(const QString &path)
{
    const std::optional<QByteArray> name = FileName::toBytes(path);
    struct stat info;
    if (!name || ::stat(name->constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size), nanoseconds(info.st_mtim),
                        nanoseconds(info.st_ctim)};
}
