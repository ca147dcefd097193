#include "platform/pictures/RenditionCache.h"

#include "platform/files/FileName.h"
#include "platform/pictures/LoadStop.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/runtime/App.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <type_traits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An entry: this header, the source path's bytes, then the picture's lines exactly as QImage
// holds them, so a read is one allocation and one copy, and gives the very pixels stored.
struct EntryHeader
{
    char magic[8];
    quint32 version;
    quint32 format;
    quint32 width;
    quint32 height;
    quint32 bytesPerLine;
    quint32 pathLength;
    quint64 device;
    quint64 inode;
    qint64 size;
    qint64 modifiedNs;
    qint64 changedNs;
    quint32 shownWidth;
    quint32 shownHeight;
};
static_assert(std::is_trivially_copyable_v<EntryHeader> && sizeof(EntryHeader) == 80);

constexpr char kMagic[8] = {'D', 'R', 'V', 'K', 'R', 'E', 'N', 'D'};
// Read as a native number: a folder carried to a machine of the other byte order misses.
constexpr quint32 kVersion = 1;
constexpr quint32 kMaxPathLength = 4096;
// Reads in steps of this size, so that a stop is seen between them.
constexpr qint64 kReadStep = qint64(1) << 20;
constexpr qint64 kNanosecondsPerSecond = 1000000000;
const QByteArray kEntrySuffix = QByteArrayLiteral(".rendition");
const QByteArray kNewEntryPrefix = QByteArrayLiteral(".new-");

std::atomic<bool> reported = false;

// Once a run at most: a cache that cannot be used costs decodes, not the photos.
void reportUnusable(const QString &folder, const QString &reason)
{
    if (reported.exchange(true))
        return;
    const QString line = QStringLiteral("photos are decoded each time: the cache folder \"%1\" is not used (%2)")
                             .arg(FileName::forDisplay(folder), reason);
    std::fprintf(stderr, "Dravik2001: %s.\n", line.toLocal8Bit().constData());
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

bool isPlainFormat(quint32 format)
{
    // Formats with a colour table would need it stored too; the loader gives them rarely.
    return format > QImage::Format_Indexed8 && format < QImage::NImageFormats;
}

// Lossless for the formats left out: their colours are all 32-bit colours.
QImage inPlainFormat(const QImage &picture)
{
    if (isPlainFormat(picture.format()))
        return picture;
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

EntryHeader headerFor(const RenditionKey &key, const QByteArray &path)
{
    EntryHeader header = {};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.version = kVersion;
    header.pathLength = quint32(path.size());
    header.device = key.source.device;
    header.inode = key.source.inode;
    header.size = key.source.size;
    header.modifiedNs = key.source.modifiedNs;
    header.changedNs = key.source.changedNs;
    header.shownWidth = quint32(key.shownSize.width());
    header.shownHeight = quint32(key.shownSize.height());
    return header;
}

bool sameKey(const EntryHeader &stored, const EntryHeader &wanted)
{
    return std::memcmp(stored.magic, kMagic, sizeof kMagic) == 0 && stored.version == kVersion
        && stored.pathLength == wanted.pathLength && stored.device == wanted.device && stored.inode == wanted.inode
        && stored.size == wanted.size && stored.modifiedNs == wanted.modifiedNs && stored.changedNs == wanted.changedNs
        && stored.shownWidth == wanted.shownWidth && stored.shownHeight == wanted.shownHeight;
}

// The key's hash names the entry; the header holds the key itself, so two keys of one hash
// only cost each other their entry.
QByteArray entryName(const EntryHeader &header, const QByteArray &path)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(&header), sizeof header));
    hash.addData(path);
    return hash.result().toHex() + kEntrySuffix;
}

bool readFully(int fd, char *data, qint64 length, const LoadStop &stop)
{
    while (length > 0) {
        if (stop.reached())
            return false;
        const ssize_t got = ::read(fd, data, size_t(std::min(length, kReadStep)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        length -= got;
    }
    return true;
}

bool writeFully(int fd, const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, size_t(length));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        length -= written;
    }
    return true;
}

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

// The folder's parents made private, as the user's base directories are to be.
void makeParents(const QByteArray &folder)
{
    for (qsizetype slash = folder.indexOf('/', 1); slash > 0; slash = folder.indexOf('/', slash + 1))
        ::mkdir(folder.left(slash).constData(), 0700);
}

// The folder, opened without following a link, when it is the user's alone; -1 otherwise.
// A folder that is not there yet is made only to store into it.
int openFolder(const QString &folder, bool create)
{
    const std::optional<QByteArray> name = FileName::toBytes(folder);
    if (!name || name->isEmpty()) {
        reportUnusable(folder, QStringLiteral("no such path"));
        return -1;
    }
    if (create) {
        makeParents(*name);
        ::mkdir(name->constData(), 0700);
    }
    const int fd = ::open(name->constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT || create)
            reportUnusable(folder, qt_error_string(errno));
        return -1;
    }
    struct stat info;
    QString refusal;
    if (::fstat(fd, &info) != 0)
        refusal = qt_error_string(errno);
    else if (info.st_uid != ::geteuid())
        refusal = QStringLiteral("it belongs to another user");
    else if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        refusal = QStringLiteral("other users have access to it");
    if (!refusal.isEmpty()) {
        ::close(fd);
        reportUnusable(folder, refusal);
        return -1;
    }
    return fd;
}

struct Entry
{
    QByteArray name;
    qint64 size;
    qint64 usedNs;
};

// Removes the entries used longest ago until needed more bytes fit the limit. The times are
// the ones lookUp and store set, and only order the entries: one stamped later than now was
// stamped before the clock was set back, so it counts as older than any stamped since. Other
// copies may remove the same entries meanwhile; one already gone has made its room.
void makeRoom(int folder, qint64 needed, qint64 limit)
{
    const int listed = ::dup(folder);
    DIR *directory = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!directory) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    QList<Entry> entries;
    qint64 total = 0;
    while (const dirent *item = ::readdir(directory)) {
        const QByteArray name(item->d_name);
        struct stat info;
        if (name == "." || name == ".." || ::fstatat(folder, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(info.st_mode))
            continue;
        entries.append({name, qint64(info.st_size), nanoseconds(info.st_mtim)});
        total += info.st_size;
    }
    ::closedir(directory);
    if (total + needed <= limit)
        return;

    timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 nowNs = nanoseconds(now);
    const auto order = [nowNs](const Entry &entry) { return std::pair(entry.usedNs <= nowNs, entry.usedNs); };
    std::sort(entries.begin(), entries.end(),
              [&order](const Entry &left, const Entry &right) { return order(left) < order(right); });
    for (const Entry &entry : entries) {
        if (total + needed <= limit)
            break;
        if (::unlinkat(folder, entry.name.constData(), 0) == 0 || errno == ENOENT)
            total -= entry.size;
    }
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

RenditionCache::RenditionCache(QString folder, qint64 sizeLimit) : m_folder(std::move(folder)), m_sizeLimit(sizeLimit)
{}

std::optional<QImage> RenditionCache::lookUp(const RenditionKey &key, const LoadStop &stop) const
{
    const std::optional<QByteArray> path = FileName::toBytes(key.sourcePath);
    if (!path || path->size() > qsizetype(kMaxPathLength))
        return std::nullopt;
    const EntryHeader wanted = headerFor(key, *path);
    const Descriptor folder(openFolder(m_folder, false));
    if (!folder.isOpen())
        return std::nullopt;
    // Not blocking: a FIFO put in place of an entry must not hold up the decode worker.
    const Descriptor file(::openat(folder.get(), entryName(wanted, *path).constData(),
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info;
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;

    EntryHeader stored;
    if (!readFully(file.get(), reinterpret_cast<char *>(&stored), sizeof stored, stop) || !sameKey(stored, wanted))
        return std::nullopt;
    QByteArray storedPath(stored.pathLength, Qt::Uninitialized);
    if (!readFully(file.get(), storedPath.data(), storedPath.size(), stop) || storedPath != *path)
        return std::nullopt;

    // The decode path's limits, checked before anything is allocated for the pixels.
    const qint64 pixels = qint64(stored.width) * stored.height;
    const qint64 pixelBytes = qint64(stored.bytesPerLine) * stored.height;
    if (pixels == 0 || pixels > kMaxPicturePixels || pixelBytes > kMaxDecodeBytes || !isPlainFormat(stored.format)
        || qint64(info.st_size) != qint64(sizeof stored) + stored.pathLength + pixelBytes)
        return std::nullopt;
    QImage picture(int(stored.width), int(stored.height), QImage::Format(stored.format));
    if (picture.isNull() || picture.bytesPerLine() != qsizetype(stored.bytesPerLine)
        || !readFully(file.get(), reinterpret_cast<char *>(picture.bits()), pixelBytes, stop))
        return std::nullopt;
    // Used now: the last to be removed.
    ::futimens(file.get(), nullptr);
    return picture;
}

void RenditionCache::store(const RenditionKey &key, const QImage &picture) const
{
    const std::optional<QByteArray> path = FileName::toBytes(key.sourcePath);
    if (picture.isNull() || !path || path->size() > qsizetype(kMaxPathLength))
        return;
    const QImage plain = inPlainFormat(picture);
    EntryHeader header = headerFor(key, *path);
    const QByteArray name = entryName(header, *path);
    header.format = quint32(plain.format());
    header.width = quint32(plain.width());
    header.height = quint32(plain.height());
    header.bytesPerLine = quint32(plain.bytesPerLine());
    const qint64 entrySize = qint64(sizeof header) + path->size() + plain.sizeInBytes();
    if (entrySize > m_sizeLimit)
        return;

    const Descriptor folder(openFolder(m_folder, true));
    if (!folder.isOpen())
        return;
    makeRoom(folder.get(), entrySize, m_sizeLimit);

    // Written under a name of its own, then renamed into place: a reader in another copy of
    // the program opens the old entry or the whole new one. Not synced: after a power cut an
    // entry cut short is refused by its size and made again.
    const QByteArray newName = newEntryName();
    const int fd =
        ::openat(folder.get(), newName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        reportUnusable(m_folder, qt_error_string(errno));
        return;
    }
    const bool written = writeFully(fd, reinterpret_cast<const char *>(&header), sizeof header)
        && writeFully(fd, path->constData(), path->size())
        && writeFully(fd, reinterpret_cast<const char *>(plain.constBits()), plain.sizeInBytes());
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::renameat(folder.get(), newName.constData(), folder.get(), name.constData()) != 0) {
        reportUnusable(m_folder, qt_error_string(written && closed ? errno : writeError));
        ::unlinkat(folder.get(), newName.constData(), 0);
    }
}
