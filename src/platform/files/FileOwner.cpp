#include "platform/files/FileOwner.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

bool KeepOwnerOf(const QString &replaced, int replacement)
{
    struct stat old = {};
    struct stat now = {};
    if (::stat(QFile::encodeName(replaced).constData(), &old) != 0)
        return true;
    if (::fstat(replacement, &now) != 0)
        return false;
    if (now.st_uid == old.st_uid && now.st_gid == old.st_gid)
        return true;
    return ::fchown(replacement, old.st_uid, old.st_gid) == 0;
}
