#include "platform/DirectoryEnumeration.h"

#include "platform/FileName.h"
#include "platform/FileNamePattern.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void raise(RuntimeError::Number number, const QString &source, const QString &directory)
{
    throw RuntimeError(number, source, QDir::toNativeSeparators(FileName::forDisplay(directory)));
}

bool isNormalFile(int directory, const char *name)
{
    if (name[0] == '.')
        return false;
    // Follows links, so a link to a photo counts and a broken one does not.
    struct stat info;
    return ::fstatat(directory, name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

// The normal files of the directory, by their names' bytes: Qt's listing would decode each
// name to text, and a name that is not UTF-8 would not survive the trip back.
QStringList normalFiles(const QString &directory, const QString &source)
{
    const std::optional<QByteArray> path = FileName::toBytes(directory);
    struct stat info;
    if (!path || ::stat(path->constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        raise(RuntimeError::PathNotFound, source, directory);
    if (::access(path->constData(), R_OK | X_OK) != 0)
        raise(RuntimeError::PathFileAccess, source, directory);
    DIR *listing = ::opendir(path->constData());
    if (!listing)
        raise(RuntimeError::PathFileAccess, source, directory);
    const auto closeListing = qScopeGuard([listing] { ::closedir(listing); });

    QStringList names;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(listing);
        if (!entry)
            break;
        if (isNormalFile(::dirfd(listing), entry->d_name))
            names.append(FileName::fromBytes(entry->d_name));
    }
    if (errno != 0)
        raise(RuntimeError::PathFileAccess, source, directory);
    return names;
}

} // namespace

QString DirectoryEnumeration::First(const QString &pattern)
{
    m_names.clear();
    m_next = 0;

    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString directory = slash < 0 ? QStringLiteral(".") : pattern.left(slash + 1);
    const QString wildcard = pattern.mid(slash + 1);
    const QString source = QStringLiteral("Dir(\"%1\")").arg(FileName::forDisplay(pattern));

    for (const QString &name : normalFiles(directory, source)) {
        if (FileNameMatches(wildcard, name))
            m_names.append(name);
    }
    std::sort(m_names.begin(), m_names.end());
    return Next();
}

QString DirectoryEnumeration::Next()
{
    if (m_next >= m_names.size())
        return {};
    return m_names.at(m_next++);
}
