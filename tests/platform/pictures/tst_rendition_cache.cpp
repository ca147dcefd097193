#include "TestFiles.h"
#include "TestPictures.h"
#include "platform/files/FileIdentity.h"
#include "platform/pictures/LoadStop.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/pictures/RenditionCache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kNanosecondsPerSecond = 1000000000;
// Where the entry's header keeps the picture's width and height, and the source's inode; and
// where the path and the pixels start.
constexpr int kWidthOffset = 20;
constexpr int kInodeOffset = 48;
constexpr int kPathOffset = 88;
constexpr qint64 kDayNs = qint64(24) * 3600 * kNanosecondsPerSecond;
const QSize kShownSize(64, 48);

const LoadStop &noStop()
{
    static const LoadStop stop(kPictureLoadTimeLimit);
    return stop;
}

bool setModified(const QString &path, qint64 secondsSinceEpoch)
{
    const timespec times[2] = {{secondsSinceEpoch, 0}, {secondsSinceEpoch, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

qint64 modifiedNs(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return qint64(info.st_mtim.tv_sec) * kNanosecondsPerSecond + info.st_mtim.tv_nsec;
}

qint64 permissions(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return info.st_mode & 07777;
}

bool patch(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.seek(offset) && file.write(bytes) == bytes.size();
}

// What work writes on standard error.
QString standardErrorOf(const std::function<void()> &work)
{
    QTemporaryFile said;
    if (!said.open())
        return QStringLiteral("no file to catch standard error in");
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(said.handle(), STDERR_FILENO);
    work();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    said.seek(0);
    return QString::fromLocal8Bit(said.readAll());
}

template <typename T>
QByteArray bytesOf(T value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

QImage gradient(QImage::Format format, int seed)
{
    QImage picture(kShownSize, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgba((x * 4 + seed) & 0xff, (y * 5 + seed) & 0xff, (x * y) & 0xff, 0x80 + x));
    }
    return picture.convertToFormat(format);
}

enum class Fault {
    CacheHomeIsAFile,
    FileInPlaceOfFolder,
    ForeignOwner,
    GroupWritable,
    OthersMayRead,
    FolderIsALink,
    NotWritable,
    TooSmallALimit
};

enum class Stale { Nothing, PhotoRemoved, PhotoRewritten, UnusedTooLong, StampedAhead, AbandonedWrite };

enum class Damage {
    Truncated,
    OneByteLonger,
    WrongMagic,
    OtherVersion,
    PixelChanged,
    OtherShownSize,
    HugeClaimSizeMismatched,
    HugeClaimSparseFile,
    OtherInode,
    OtherPath,
    Fifo,
    Link,
    Directory
};

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(Stale)

// The cache on real files in a throwaway folder: what goes in comes out pixel for pixel, for
// the very file it was made from only, and every fault of the folder or of an entry is a
// miss, after which the caller decodes.
class TestRenditionCache : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void storedPictureComesBackIdentical_data();
    void storedPictureComesBackIdentical();
    void cachedDecodeEqualsAFreshDecode();
    void entriesArePrivate_data();
    void entriesArePrivate();
    void defaultFolderIsTheProgramsOwnInTheCacheHome();
    void changedOriginalMisses_data();
    void changedOriginalMisses();
    void missingFolderIsAMissAndNotMade();
    void unusableFolderIsNeverUsed_data();
    void unusableFolderIsNeverUsed();
    void damagedEntryIsAMiss_data();
    void damagedEntryIsAMiss();
    void stoppedReadIsAMiss();
    void cycleLargerThanTheCacheKeepsWhatFitsAndWritesNoMore();
    void fullCacheMakesRoomOnlyFromWhatIsStale_data();
    void fullCacheMakesRoomOnlyFromWhatIsStale();

private:
    // A real file for the key's identity.
    RenditionKey sourceKey(const QString &name, const QSize &shownSize = kShownSize);
    QString cacheFolder() const { return m_root.path() + QStringLiteral("/cache/renditions"); }
    // The entry files in the folder.
    QStringList entries(const QString &folder) const;
    // The size of one entry of the tests' photos, measured on a folder removed after.
    qint64 entrySizeOfOne();

    QTemporaryDir m_root;
};

void TestRenditionCache::init()
{
    QVERIFY(m_root.isValid());
    QDir(m_root.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_root.path() + QStringLiteral("/photos")));
}

RenditionKey TestRenditionCache::sourceKey(const QString &name, const QSize &shownSize)
{
    const QString path = m_root.path() + QStringLiteral("/photos/") + name;
    if (!QFile::exists(path))
        TestFiles::WriteFile(path, TestPictures::Solid(Qt::red, "jpg", QSize(320, 240)));
    const std::optional<FileIdentity> identity = IdentityOfFile(path);
    return {path, identity.value_or(FileIdentity{}), shownSize};
}

QStringList TestRenditionCache::entries(const QString &folder) const
{
    QStringList names;
    for (const QString &name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        names.append(folder + u'/' + name);
    return names;
}

qint64 TestRenditionCache::entrySizeOfOne()
{
    RenditionCache(cacheFolder()).store(sourceKey(QStringLiteral("probe.jpg")), gradient(QImage::Format_RGB32, 0));
    const QStringList stored = entries(cacheFolder());
    const qint64 size = stored.size() == 1 ? QFileInfo(stored.first()).size() : 0;
    QDir(cacheFolder()).removeRecursively();
    return size;
}

void TestRenditionCache::storedPictureComesBackIdentical_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QImage::Format>("readFormat");
    QTest::newRow("32-bit, as JPEG decodes") << QImage::Format_RGB32 << QImage::Format_RGB32;
    QTest::newRow("with alpha") << QImage::Format_ARGB32 << QImage::Format_ARGB32;
    QTest::newRow("premultiplied") << QImage::Format_ARGB32_Premultiplied << QImage::Format_ARGB32_Premultiplied;
    QTest::newRow("grey") << QImage::Format_Grayscale8 << QImage::Format_Grayscale8;
    QTest::newRow("24-bit, lines padded") << QImage::Format_RGB888 << QImage::Format_RGB888;
    QTest::newRow("palette, kept as its colours") << QImage::Format_Indexed8 << QImage::Format_ARGB32;
}

void TestRenditionCache::storedPictureComesBackIdentical()
{
    QFETCH(QImage::Format, format);
    QFETCH(QImage::Format, readFormat);
    const RenditionCache cache(cacheFolder());
    const RenditionKey key = sourceKey(QStringLiteral("57A01.jpg"));
    const QImage picture = gradient(format, 7);
    cache.store(key, picture);
    const std::optional<QImage> cached = cache.lookUp(key, noStop());
    QVERIFY(cached.has_value());
    QCOMPARE(cached->format(), readFormat);
    QCOMPARE(*cached, picture.convertToFormat(readFormat));
}

void TestRenditionCache::cachedDecodeEqualsAFreshDecode()
{
    const RenditionCache cache(cacheFolder());
    const RenditionKey key = sourceKey(QStringLiteral("62B02.jpg"), QSize(77, 51));
    QVERIFY(TestFiles::WriteFile(key.sourcePath, TestPictures::SplitJpeg(Qt::darkGreen, Qt::yellow, QSize(1200, 800))));
    const RenditionKey written{key.sourcePath, *IdentityOfFile(key.sourcePath), key.shownSize};
    const QImage decoded = LoadPicture(written.sourcePath, written.shownSize);
    cache.store(written, decoded);
    const std::optional<QImage> cached = cache.lookUp(written, noStop());
    QVERIFY(cached.has_value());
    QCOMPARE(*cached, LoadPicture(written.sourcePath, written.shownSize));
}

void TestRenditionCache::entriesArePrivate_data()
{
    QTest::addColumn<bool>("rootWithAUsersHome");
    QTest::newRow("the user's own") << false;
    QTest::newRow("root with a user's home: the folders made are the user's") << true;
}

void TestRenditionCache::entriesArePrivate()
{
    QFETCH(bool, rootWithAUsersHome);
    const QString home = m_root.path() + QStringLiteral("/home");
    QString folder = cacheFolder();
    uid_t owner = ::geteuid();
    if (rootWithAUsersHome) {
        if (owner != 0)
            QSKIP("only root can give a home to another user");
        owner = 65534;
        QVERIFY(QDir().mkpath(home));
        QVERIFY(::chown(QFile::encodeName(home).constData(), owner, owner) == 0);
        folder = home + QStringLiteral("/.cache/renditions");
    }
    const RenditionCache cache(folder);
    cache.store(sourceKey(QStringLiteral("57A01.jpg")), gradient(QImage::Format_RGB32, 1));
    for (const QString &made : {folder, QFileInfo(folder).path()}) {
        QCOMPARE(permissions(made), 0700);
        QCOMPARE(QFileInfo(made).ownerId(), owner);
    }
    const QStringList stored = entries(folder);
    // Root leaves a folder it gave away alone.
    QCOMPARE(stored.size(), rootWithAUsersHome ? 0 : 1);
    if (!rootWithAUsersHome)
        QCOMPARE(permissions(stored.first()), 0600);
}

void TestRenditionCache::defaultFolderIsTheProgramsOwnInTheCacheHome()
{
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    const auto restore = qScopeGuard([&saved] { qputenv("XDG_CACHE_HOME", saved); });
    qputenv("XDG_CACHE_HOME", "/somewhere/cache");
    QVERIFY(RenditionCache::defaultFolder().startsWith(QStringLiteral("/somewhere/cache/")));
    qputenv("XDG_CACHE_HOME", "relative/cache");
    QVERIFY(RenditionCache::defaultFolder().startsWith(QDir::homePath() + QStringLiteral("/.cache/")));
}

void TestRenditionCache::changedOriginalMisses_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("rewritten with the same bytes") << QStringLiteral("rewrite");
    QTest::newRow("modification time set back") << QStringLiteral("touch");
    QTest::newRow("replaced by a rename") << QStringLiteral("rename");
    QTest::newRow("permissions changed") << QStringLiteral("chmod");
    QTest::newRow("shown at another size") << QStringLiteral("size");
    QTest::newRow("another path to the same file") << QStringLiteral("link");
}

void TestRenditionCache::changedOriginalMisses()
{
    QFETCH(QString, change);
    const RenditionCache cache(cacheFolder());
    RenditionKey key = sourceKey(QStringLiteral("57A01.jpg"));
    cache.store(key, gradient(QImage::Format_RGB32, 3));
    QVERIFY(cache.lookUp(key, noStop()).has_value());

    const QString path = key.sourcePath;
    QFile original(path);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray contents = original.readAll();
    original.close();
    if (change == QStringLiteral("rewrite")) {
        QVERIFY(TestFiles::WriteFile(path, contents));
    } else if (change == QStringLiteral("touch")) {
        QVERIFY(setModified(path, 1000000000));
    } else if (change == QStringLiteral("rename")) {
        QVERIFY(TestFiles::WriteFile(path + QStringLiteral(".new"), contents));
        QVERIFY(
            ::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(), QFile::encodeName(path).constData())
            == 0);
    } else if (change == QStringLiteral("chmod")) {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    } else if (change == QStringLiteral("size")) {
        key.shownSize = QSize(65, 48);
    } else if (change == QStringLiteral("link")) {
        key.sourcePath = path + QStringLiteral(".link");
        QVERIFY(QFile::link(path, key.sourcePath));
    }
    if (change != QStringLiteral("size") && change != QStringLiteral("link")) {
        const std::optional<FileIdentity> now = IdentityOfFile(path);
        QVERIFY(now.has_value());
        QVERIFY(*now != key.source);
        key.source = *now;
    }
    QVERIFY(!cache.lookUp(key, noStop()).has_value());
}

void TestRenditionCache::missingFolderIsAMissAndNotMade()
{
    const RenditionCache cache(cacheFolder());
    QVERIFY(!cache.lookUp(sourceKey(QStringLiteral("57A01.jpg")), noStop()).has_value());
    QVERIFY(!QFile::exists(cacheFolder()));
}

void TestRenditionCache::unusableFolderIsNeverUsed_data()
{
    QTest::addColumn<Fault>("fault");
    // Why the folder is not used, as said on standard error; nothing for a limit too small.
    QTest::addColumn<QString>("said");
    QTest::newRow("cache home is a file") << Fault::CacheHomeIsAFile << QStringLiteral("(Not a directory)");
    QTest::newRow("a file in place of the folder") << Fault::FileInPlaceOfFolder << QStringLiteral("(Not a directory)");
    QTest::newRow("folder of another user") << Fault::ForeignOwner << QStringLiteral("(it belongs to another user)");
    QTest::newRow("group may write") << Fault::GroupWritable << QStringLiteral("(other users have access to it)");
    QTest::newRow("others may read") << Fault::OthersMayRead << QStringLiteral("(other users have access to it)");
    QTest::newRow("folder is a link") << Fault::FolderIsALink << QStringLiteral("(it is a symbolic link)");
    QTest::newRow("folder not writable") << Fault::NotWritable << QStringLiteral("(Permission denied)");
    QTest::newRow("limit smaller than an entry") << Fault::TooSmallALimit << QString();
}

void TestRenditionCache::unusableFolderIsNeverUsed()
{
    QFETCH(Fault, fault);
    QFETCH(QString, said);
    QString folder = cacheFolder();
    qint64 limit = RenditionCache::kDefaultSizeLimit;
    QVERIFY(QDir().mkpath(cacheFolder()));
    QVERIFY(QFile::setPermissions(cacheFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    switch (fault) {
    case Fault::CacheHomeIsAFile:
        QVERIFY(TestFiles::WriteFile(m_root.path() + QStringLiteral("/file"), "x"));
        folder = m_root.path() + QStringLiteral("/file/renditions");
        break;
    case Fault::FileInPlaceOfFolder:
        QVERIFY(QDir(cacheFolder()).removeRecursively());
        QVERIFY(TestFiles::WriteFile(cacheFolder(), "x"));
        break;
    case Fault::ForeignOwner:
        if (::geteuid() != 0)
            QSKIP("only root can give the folder to another user");
        QVERIFY(::chown(QFile::encodeName(cacheFolder()).constData(), 65534, 65534) == 0);
        break;
    case Fault::GroupWritable:
        QVERIFY(::chmod(QFile::encodeName(cacheFolder()).constData(), 0770) == 0);
        break;
    case Fault::OthersMayRead:
        QVERIFY(::chmod(QFile::encodeName(cacheFolder()).constData(), 0704) == 0);
        break;
    case Fault::FolderIsALink:
        folder = m_root.path() + QStringLiteral("/link");
        QVERIFY(QFile::link(cacheFolder(), folder));
        break;
    case Fault::NotWritable:
        if (::geteuid() == 0)
            QSKIP("root writes whatever the permissions say");
        QVERIFY(::chmod(QFile::encodeName(cacheFolder()).constData(), 0500) == 0);
        break;
    case Fault::TooSmallALimit:
        limit = 4096;
        break;
    }
    const auto restore = qScopeGuard([this] { ::chmod(QFile::encodeName(cacheFolder()).constData(), 0700); });
    const RenditionCache cache(folder, limit);
    const RenditionKey key = sourceKey(QStringLiteral("57A01.jpg"));
    const QString message = standardErrorOf([&] {
        cache.store(key, gradient(QImage::Format_RGB32, 5));
        QVERIFY(!cache.lookUp(key, noStop()).has_value());
    });
    if (said.isEmpty())
        QCOMPARE(message, QString());
    else
        QVERIFY2(message.count(u'\n') == 1 && message.contains(said), qPrintable(message));
    if (QFileInfo(cacheFolder()).isDir())
        QCOMPARE(entries(cacheFolder()), QStringList());
}

void TestRenditionCache::damagedEntryIsAMiss_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::newRow("truncated") << Damage::Truncated;
    QTest::newRow("one byte longer") << Damage::OneByteLonger;
    QTest::newRow("wrong magic") << Damage::WrongMagic;
    QTest::newRow("another version") << Damage::OtherVersion;
    QTest::newRow("one pixel byte changed") << Damage::PixelChanged;
    QTest::newRow("a whole entry of another shown size") << Damage::OtherShownSize;
    QTest::newRow("claims 30000 x 30000 pixels") << Damage::HugeClaimSizeMismatched;
    QTest::newRow("claims 30000 x 30000 pixels, sparse file of that size") << Damage::HugeClaimSparseFile;
    QTest::newRow("another inode in the header") << Damage::OtherInode;
    QTest::newRow("another path in the header") << Damage::OtherPath;
    QTest::newRow("a FIFO in place of the entry") << Damage::Fifo;
    QTest::newRow("a link in place of the entry") << Damage::Link;
    QTest::newRow("a directory in place of the entry") << Damage::Directory;
}

void TestRenditionCache::damagedEntryIsAMiss()
{
    QFETCH(Damage, damage);
    const RenditionCache cache(cacheFolder());
    const RenditionKey key = sourceKey(QStringLiteral("57A01.jpg"));
    cache.store(key, gradient(QImage::Format_RGB32, 9));
    QVERIFY(cache.lookUp(key, noStop()).has_value());
    const QStringList stored = entries(cacheFolder());
    QCOMPARE(stored.size(), 1);
    const QString entry = stored.first();
    const QByteArray name = QFile::encodeName(entry);
    const qint64 size = QFileInfo(entry).size();
    constexpr quint32 kHuge = 30000;

    switch (damage) {
    case Damage::Truncated:
        QVERIFY(::truncate(name.constData(), size - 1) == 0);
        break;
    case Damage::OneByteLonger:
        QVERIFY(::truncate(name.constData(), size + 1) == 0);
        break;
    case Damage::WrongMagic:
        QVERIFY(patch(entry, 0, "X"));
        break;
    case Damage::OtherVersion:
        QVERIFY(patch(entry, 8, bytesOf(quint32(1))));
        break;
    case Damage::PixelChanged:
        QVERIFY(patch(entry, size - 100, "#"));
        break;
    case Damage::OtherShownSize: {
        const QSize other(kShownSize.width() + 1, kShownSize.height());
        const QImage picture = gradient(QImage::Format_RGB32, 9).scaled(other);
        QVERIFY(TestFiles::WriteFile(entry, RenditionEntryFor({key.sourcePath, key.source, other}, picture)));
        break;
    }
    case Damage::HugeClaimSizeMismatched:
    case Damage::HugeClaimSparseFile:
        QVERIFY(patch(entry, kWidthOffset, bytesOf(kHuge) + bytesOf(kHuge) + bytesOf(kHuge * 4)));
        if (damage == Damage::HugeClaimSparseFile)
            QVERIFY(::truncate(name.constData(),
                               size - kShownSize.width() * kShownSize.height() * 3 + qint64(kHuge) * kHuge * 4)
                    == 0);
        break;
    case Damage::OtherInode:
        QVERIFY(patch(entry, kInodeOffset, bytesOf(key.source.inode + 1)));
        break;
    case Damage::OtherPath:
        QVERIFY(patch(entry, kPathOffset + 1, "#"));
        break;
    case Damage::Fifo:
        QVERIFY(QFile::remove(entry));
        QVERIFY(::mkfifo(name.constData(), 0600) == 0);
        break;
    case Damage::Link:
        QVERIFY(QFile::rename(entry, entry + QStringLiteral(".kept")));
        QVERIFY(QFile::link(entry + QStringLiteral(".kept"), entry));
        break;
    case Damage::Directory:
        QVERIFY(QFile::remove(entry));
        QVERIFY(QDir().mkdir(entry));
        break;
    }
    QVERIFY(!cache.lookUp(key, noStop()).has_value());
    // The next store replaces whatever was there, and is read again.
    if (damage != Damage::Directory) {
        cache.store(key, gradient(QImage::Format_RGB32, 9));
        QCOMPARE(cache.lookUp(key, noStop()), std::optional(gradient(QImage::Format_RGB32, 9)));
    }
}

void TestRenditionCache::stoppedReadIsAMiss()
{
    const RenditionCache cache(cacheFolder());
    const RenditionKey key = sourceKey(QStringLiteral("57A01.jpg"));
    cache.store(key, gradient(QImage::Format_RGB32, 2));
    LoadStop stop(kPictureLoadTimeLimit);
    stop.start();
    stop.request();
    QVERIFY(!cache.lookUp(key, stop).has_value());
}

void TestRenditionCache::cycleLargerThanTheCacheKeepsWhatFitsAndWritesNoMore()
{
    const qint64 entrySize = entrySizeOfOne();
    QVERIFY(entrySize > 0);
    // Five photos in a fixed order, room for three: each run starts again at the first.
    const qint64 limit = entrySize * 3 + entrySize / 2;
    QList<RenditionKey> keys;
    for (int index = 0; index < 5; ++index)
        keys.append(sourceKey(QStringLiteral("%1.jpg").arg(index)));
    QMap<QString, qint64> stamps;
    for (int run = 0; run < 3; ++run) {
        const RenditionCache cache(cacheFolder(), limit);
        int hits = 0;
        for (const RenditionKey &key : std::as_const(keys)) {
            if (cache.lookUp(key, noStop()).has_value())
                ++hits;
            else
                cache.store(key, gradient(QImage::Format_RGB32, int(key.source.inode)));
        }
        QCOMPARE(hits, run == 0 ? 0 : 3);
        QMap<QString, qint64> now;
        for (const QString &entry : entries(cacheFolder()))
            now.insert(entry, modifiedNs(entry));
        QCOMPARE(now.size(), 3);
        // Reads wrote nothing, not even a time.
        if (run > 0)
            QCOMPARE(now, stamps);
        stamps = now;
    }
    // Read two days after it was last said to be used: it is said again.
    const QString entry = stamps.firstKey();
    QVERIFY(setModified(entry, std::time(nullptr) - 2 * 24 * 3600));
    for (const RenditionKey &key : std::as_const(keys))
        RenditionCache(cacheFolder(), limit).lookUp(key, noStop());
    QVERIFY(modifiedNs(entry) > qint64(std::time(nullptr)) * kNanosecondsPerSecond - kDayNs);
}

void TestRenditionCache::fullCacheMakesRoomOnlyFromWhatIsStale_data()
{
    QTest::addColumn<Stale>("stale");
    QTest::newRow("nothing stale: the new entry is not kept") << Stale::Nothing;
    QTest::newRow("an entry's photo removed") << Stale::PhotoRemoved;
    QTest::newRow("an entry's photo rewritten") << Stale::PhotoRewritten;
    QTest::newRow("an entry not read for longer than the time allowed") << Stale::UnusedTooLong;
    QTest::newRow("an entry stamped after the clock was set back") << Stale::StampedAhead;
    QTest::newRow("a write abandoned an hour ago") << Stale::AbandonedWrite;
}

void TestRenditionCache::fullCacheMakesRoomOnlyFromWhatIsStale()
{
    QFETCH(Stale, stale);
    const qint64 entrySize = entrySizeOfOne();
    QVERIFY(entrySize > 0);
    const qint64 limit = entrySize * 2 + entrySize / 2;
    const RenditionKey first = sourceKey(QStringLiteral("0.jpg"));
    const RenditionKey second = sourceKey(QStringLiteral("1.jpg"));
    const RenditionKey next = sourceKey(QStringLiteral("2.jpg"));
    RenditionCache(cacheFolder(), limit).store(first, gradient(QImage::Format_RGB32, 0));
    const QString firstEntry = entries(cacheFolder()).value(0);
    const QString abandoned = cacheFolder() + QStringLiteral("/.new-1-0");
    if (stale == Stale::AbandonedWrite)
        QVERIFY(TestFiles::WriteFile(abandoned, QByteArray(entrySize, 'x')));
    else
        RenditionCache(cacheFolder(), limit).store(second, gradient(QImage::Format_RGB32, 1));

    const qint64 now = std::time(nullptr);
    switch (stale) {
    case Stale::Nothing:
        break;
    case Stale::PhotoRemoved:
        QVERIFY(QFile::remove(first.sourcePath));
        break;
    case Stale::PhotoRewritten:
        QVERIFY(TestFiles::WriteFile(first.sourcePath, TestPictures::Solid(Qt::blue, "jpg", QSize(320, 240))));
        break;
    case Stale::UnusedTooLong:
        QVERIFY(setModified(firstEntry, now - (RenditionCache::kUnusedAfterDays + 1) * 24 * 3600));
        break;
    case Stale::StampedAhead:
        QVERIFY(setModified(firstEntry, now + qint64(10) * 365 * 24 * 3600));
        break;
    case Stale::AbandonedWrite:
        QVERIFY(setModified(abandoned, now - 2 * 3600));
        break;
    }
    const RenditionCache cache(cacheFolder(), limit);
    cache.store(next, gradient(QImage::Format_RGB32, 2));
    QCOMPARE(cache.lookUp(next, noStop()).has_value(), stale != Stale::Nothing);
    if (stale != Stale::AbandonedWrite)
        QVERIFY(cache.lookUp(second, noStop()).has_value());
    QCOMPARE(QFileInfo::exists(firstEntry), stale == Stale::Nothing || stale == Stale::AbandonedWrite);
    QVERIFY(!QFileInfo::exists(abandoned));
}

QTEST_GUILESS_MAIN(TestRenditionCache)
#include "tst_rendition_cache.moc"
