#include "platform/pictures/RenditionCache.h"

#include "platform/files/FileDescriptor.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/FileName.h"
#include "platform/files/FileOwner.h"
#include "platform/files/PrivateFolder.h"
#include "platform/pictures/LoadStop.h"
#include "platform/runtime/App.h"
#include "platform/runtime/Warning.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr qint64 kNanosecondsPerSecond = 1000000000;
constexpr qint64 kDayNs = qint64(24) * 3600 * kNanosecondsPerSecond;
// A file being written by another copy is this young; one older was left by a copy that died.
constexpr qint64 kAbandonedNewEntryNs = qint64(3600) * kNanosecondsPerSecond;
// The share of the file system the cache always leaves free.
constexpr qint64 kFreeShareKept = 20;
const QByteArray kEntrySuffix = QByteArrayLiteral(".rendition");
const QByteArray kNewEntryPrefix = QByteArrayLiteral(".new-");

// The key's hash names the entry; the entry holds the key itself, so two keys of one hash
// only cost each other their entry.
QByteArray entryName(const RenditionKey &key, const QByteArray &path)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const qint64 parts[] = {qint64(key.source.device), qint64(key.source.inode), key.source.size,
                            key.source.modifiedNs,     key.source.changedNs,     key.shownSize.width(),
                            key.shownSize.height()};
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(parts), sizeof parts));
    hash.addData(path);
    return hash.result().toHex() + kEntrySuffix;
}

qint64 nowNs()
{
    timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

// The folder and its missing parents, made private as the user's base directories are to
// be. Root gives each one it makes the owner of the folder it is made in: run with a user's
// home, it makes them the user's, not its own.
void makeFolder(const QByteArray &folder)
{
    for (qsizetype slash = 0; slash >= 0;) {
        slash = folder.indexOf('/', slash + 1);
        const QByteArray made = slash < 0 ? folder : folder.left(slash);
        if (::mkdir(made.constData(), 0700) != 0 || ::geteuid() != 0)
            continue;
        const FileDescriptor fd(::open(made.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        const QByteArray parent = made.left(made.lastIndexOf('/'));
        if (fd.isOpen())
            KeepOwnerOf(FileName::fromBytes(parent.isEmpty() ? QByteArrayLiteral("/") : parent), fd.get());
    }
}

} // namespace

struct RenditionCache::RunState
{
    // Once per cache object: a cache that cannot be used costs decodes, not the photos.
    std::atomic<bool> reported = false;
    // Stale entries are looked for once; after that a store that finds no room is skipped.
    std::atomic<bool> swept = false;
    std::atomic<bool> full = false;
};

namespace {

void reportUnusable(std::atomic<bool> &reported, const QString &folder, const QString &reason)
{
    if (reported.exchange(true))
        return;
    Warn(QStringLiteral("photos are decoded each time: the cache folder \"%1\" is not used (%2).")
             .arg(FileName::forDisplay(folder), reason));
}

// The folder when it is the user's private folder; nothing open otherwise. A folder that is
// not there yet is made only to store into it.
FileDescriptor openFolder(const QString &folder, bool create, std::atomic<bool> &reported)
{
    const std::optional<QByteArray> name = FileName::toBytes(folder);
    if (!name || name->isEmpty()) {
        reportUnusable(reported, folder, QStringLiteral("no such path"));
        return FileDescriptor();
    }
    if (create)
        makeFolder(*name);
    PrivateFolder opened = OpenPrivateFolder(*name);
    switch (opened.fault) {
    case FolderFault::None:
        break;
    case FolderFault::NotOpened:
        if (opened.error != ENOENT || create)
            reportUnusable(reported, folder, qt_error_string(opened.error));
        break;
    case FolderFault::SymbolicLink:
        reportUnusable(reported, folder, QStringLiteral("it is a symbolic link"));
        break;
    case FolderFault::OtherOwner:
        reportUnusable(reported, folder, QStringLiteral("it belongs to another user"));
        break;
    case FolderFault::OpenToOthers:
        reportUnusable(reported, folder, QStringLiteral("other users have access to it"));
        break;
    }
    return std::move(opened.fd);
}

struct Listed
{
    QByteArray name;
    qint64 size;
    qint64 modifiedNs;
};

QList<Listed> listFolder(int folder)
{
    QList<Listed> listed;
    const int copy = ::dup(folder);
    DIR *directory = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!directory) {
        if (copy >= 0)
            ::close(copy);
        return listed;
    }
    ::rewinddir(directory);
    while (const dirent *item = ::readdir(directory)) {
        struct stat info;
        if (::fstatat(folder, item->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            listed.append({QByteArray(item->d_name), qint64(info.st_size), Nanoseconds(info.st_mtim)});
    }
    ::closedir(directory);
    return listed;
}

qint64 totalSize(const QList<Listed> &listed)
{
    qint64 total = 0;
    for (const Listed &file : listed)
        total += file.size;
    return total;
}

// Not used any more: its photo is gone or changed (every key it could match is gone with
// it), no run has read it for the given time (a time ahead of now was set before the clock
// was set back), it is no entry at all, or a write that was never finished.
bool isStale(int folder, const Listed &file, qint64 now, qint64 unusedNs)
{
    if (file.name.startsWith(kNewEntryPrefix))
        return now - file.modifiedNs > kAbandonedNewEntryNs;
    if (now - file.modifiedNs > unusedNs || file.modifiedNs - now > kDayNs)
        return true;
    const FileDescriptor fd(
        ::openat(folder, file.name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isOpen())
        return false;
    QByteArray head(std::min(file.size, RenditionEntrySourceBytes()), Qt::Uninitialized);
    if (!ReadFully(fd.get(), head.data(), head.size()))
        return true;
    const std::optional<RenditionSource> source = RenditionSourceOfEntry(head);
    return !source || IdentityOfFile(FileName::fromBytes(source->path)) != source->identity;
}

// The bytes the cache may still take for an entry that replaces the file named replaced:
// what the limit leaves, and never the last share of the file system's free space.
qint64 room(int folder, const QList<Listed> &listed, const QByteArray &replaced, qint64 limit)
{
    qint64 left = limit - totalSize(listed);
    for (const Listed &file : listed) {
        if (file.name == replaced)
            left += file.size;
    }
    struct statvfs space;
    if (::fstatvfs(folder, &space) == 0 && space.f_blocks > 0) {
        const qint64 available = qint64(space.f_bavail) * qint64(space.f_frsize);
        const qint64 kept = qint64(space.f_blocks) * qint64(space.f_frsize) / kFreeShareKept;
        left = std::min(left, available - kept);
    }
    return left;
}

QByteArray newEntryName()
{
    return kNewEntryPrefix + QByteArray::number(::getpid()) + '-'
        + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
}

} // namespace

QString RenditionCache::defaultFolder()
{
    QString cacheHome = FileName::fromBytes(qgetenv("XDG_CACHE_HOME"));
    // A relative XDG_CACHE_HOME is invalid and stands for the default.
    if (!QDir::isAbsolutePath(cacheHome))
        cacheHome = QDir::homePath() + QStringLiteral("/.cache");
    return cacheHome + u'/' + App::Title();
}

RenditionCache::RenditionCache(QString folder, qint64 sizeLimit)
    : m_folder(std::move(folder)), m_sizeLimit(sizeLimit), m_run(std::make_shared<RunState>())
{}

std::optional<QImage> RenditionCache::lookUp(const RenditionKey &key, const LoadStop &stop) const
{
    const std::optional<QByteArray> path = FileName::toBytes(key.sourcePath);
    if (!path)
        return std::nullopt;
    const FileDescriptor folder(openFolder(m_folder, false, m_run->reported));
    if (!folder.isOpen())
        return std::nullopt;
    // Not blocking: a FIFO put in place of an entry must not hold up the decode worker.
    const FileDescriptor file(::openat(folder.get(), entryName(key, *path).constData(),
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info;
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)
        || qint64(info.st_size) > RenditionEntryMaxSize(key))
        return std::nullopt;
    QByteArray entry(qsizetype(info.st_size), Qt::Uninitialized);
    if (!ReadFully(file.get(), entry.data(), entry.size(), [&stop] { return stop.reached(); }))
        return std::nullopt;
    std::optional<QImage> picture = RenditionFromEntry(entry, key);
    // Still used: said at most once a day, so that a warm run writes next to nothing.
    const qint64 now = nowNs();
    if (picture && std::abs(now - Nanoseconds(info.st_mtim)) > kDayNs)
        ::futimens(file.get(), nullptr);
    return picture;
}

void RenditionCache::store(const RenditionKey &key, const QImage &picture) const
{
    if (m_run->full)
        return;
    const std::optional<QByteArray> path = FileName::toBytes(key.sourcePath);
    const QByteArray entry = path ? RenditionEntryFor(key, picture) : QByteArray();
    if (entry.isEmpty() || entry.size() > m_sizeLimit)
        return;

    const FileDescriptor folder(openFolder(m_folder, true, m_run->reported));
    if (!folder.isOpen())
        return;
    const QByteArray name = entryName(key, *path);
    if (room(folder.get(), listFolder(folder.get()), name, m_sizeLimit) < entry.size()) {
        if (!m_run->swept.exchange(true)) {
            const qint64 now = nowNs();
            for (const Listed &file : listFolder(folder.get())) {
                if (isStale(folder.get(), file, now, qint64(kUnusedAfterDays) * kDayNs))
                    ::unlinkat(folder.get(), file.name.constData(), 0);
            }
        }
        if (room(folder.get(), listFolder(folder.get()), name, m_sizeLimit) < entry.size()) {
            m_run->full = true;
            return;
        }
    }

    // Written under a name of its own, then renamed into place: a reader in another copy of
    // the program opens the old entry or the whole new one. Not synced: after a power cut an
    // entry cut short fails its checks and is made again.
    const QByteArray newName = newEntryName();
    const int fd =
        ::openat(folder.get(), newName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        reportUnusable(m_run->reported, m_folder, qt_error_string(errno));
        return;
    }
    const bool written = WriteFully(fd, entry.constData(), entry.size());
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::renameat(folder.get(), newName.constData(), folder.get(), name.constData()) != 0) {
        reportUnusable(m_run->reported, m_folder, qt_error_string(written && closed ? errno : writeError));
        ::unlinkat(folder.get(), newName.constData(), 0);
    }
}
