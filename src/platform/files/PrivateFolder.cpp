#include "platform/files/PrivateFolder.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PrivateFolder OpenPrivateFolder(const QByteArray &path)
{
    FileDescriptor fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info = {};
    if (!fd.isOpen()) {
        const int error = errno;
        // A link opened this way fails as "not a directory", whatever it leads to.
        if (::lstat(path.constData(), &info) == 0 && S_ISLNK(info.st_mode))
            return {FileDescriptor(), FolderFault::SymbolicLink, 0};
        return {FileDescriptor(), FolderFault::NotOpened, error};
    }
    if (::fstat(fd.get(), &info) != 0)
        return {FileDescriptor(), FolderFault::NotOpened, errno};
    if (info.st_uid != ::geteuid())
        return {FileDescriptor(), FolderFault::OtherOwner, 0};
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return {FileDescriptor(), FolderFault::OpenToOthers, 0};
    return {std::move(fd), FolderFault::None, 0};
}
