#include "platform/files/DirectoryListing.h"

#include "platform/files/FileName.h"
#include "platform/files/FileNamePattern.h"

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
// name to text, and a name that is not UTF-8 would not survive the trip back. Nothing when
// a stop is requested on the way: a slow disc may take a second over each entry.
std::optional<QStringList> normalFiles(const QString &directory, const QString &source, const std::stop_token &stop)
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
        if (stop.stop_requested())
            return std::nullopt;
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

DirectoryListing::DirectoryListing(const QString &pattern) : DirectoryListing(pattern, std::stop_token()) {}

DirectoryListing::DirectoryListing(const QString &pattern, const std::stop_token &stop) : m_pattern(pattern)
{
    const QString wildcard = pattern.mid(pattern.lastIndexOf(QLatin1Char('/')) + 1);
    const QString source = QStringLiteral("Dir(\"%1\")").arg(FileName::forDisplay(pattern));
    try {
        const std::optional<QStringList> files = normalFiles(directoryOf(pattern), source, stop);
        if (!files) {
            m_stopped = true;
            return;
        }
        for (const QString &name : *files) {
            if (FileNameMatches(wildcard, name))
                m_names.append(name);
        }
    } catch (const RuntimeError &error) {
        m_error.emplace(error);
        return;
    }
    std::sort(m_names.begin(), m_names.end());
}

std::optional<DirectoryListing> DirectoryListing::unlessStopped(const QString &pattern, const std::stop_token &stop)
{
    DirectoryListing listing(pattern, stop);
    if (listing.m_stopped)
        return std::nullopt;
    return listing;
}

QString DirectoryListing::directoryOf(const QString &pattern)
{
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral(".") : pattern.left(slash + 1);
}

const QStringList &DirectoryListing::names() const
{
    if (m_error)
        throw *m_error;
    return m_names;
}
