#include "platform/files/DirectoryEnumeration.h"
#include "platform/files/DirectoryListing.h"
#include "platform/files/FileName.h"
#include "platform/files/FileNamePattern.h"
#include "platform/runtime/RuntimeError.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

// Creates the file named by exactly these bytes, past any decoding of names to text.
bool touchBytes(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

QStringList enumerateAll(DirectoryEnumeration &enumeration, const QString &pattern)
{
    QStringList names;
    for (QString name = enumeration.First(pattern); !name.isEmpty(); name = enumeration.Next())
        names << name;
    return names;
}

} // namespace

class TestDirectoryEnumeration : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wildcard_data();
    void wildcard();
    void normalFilesInOrdinalOrder();
    void namesThatAreNotUtf8();
    void wildcardPartSelectsNames();
    void firstRestartsAndNextRunsOut();
    void orderIsFixedAtFirst();
    void emptyDirectory();
    void patternWithoutDirectoryUsesTheCurrentOne();
    void rootDirectory();
    void missingDirectoryIsAnError_data();
    void missingDirectoryIsAnError();
    void listingMadeBeforeIsEnumeratedAsFirstWould();
    void failedListingRaisesAtFirstAndEndsTheEnumeration();
    void stoppedListingGivesNothing();

private:
    QTemporaryDir *m_dir = nullptr;
    int m_socket = -1;
    QString m_previousCurrent;
};

void TestDirectoryEnumeration::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_previousCurrent = QDir::currentPath();
}

void TestDirectoryEnumeration::cleanup()
{
    QDir::setCurrent(m_previousCurrent);
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
    delete m_dir;
    m_dir = nullptr;
}

void TestDirectoryEnumeration::wildcard_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    const auto row = [](const char *pattern, const char *name, bool matches) {
        QTest::addRow("%s ~ %s", pattern, name) << QString::fromUtf8(pattern) << QString::fromUtf8(name) << matches;
    };
    row("*.*", "67A01.jpg", true);
    row("*.*", "README", true);
    row("*.*", "a.b.c", true);
    row("*.*", "trailing.", true);
    row("*", "anything.at.all", true);
    row("*.jpg", "CL001.JPG", true);
    row("*.jpg", "CL001.jpeg", false);
    row("*.jpg", "a.b.jpg", true);
    row("*.jpg", "jpg", false);
    row("67*", "67A01.jpg", true);
    row("67*", "CL001.jpg", false);
    row("?.jpg", "a.jpg", true);
    row("?.jpg", "ab.jpg", false);
    row("ab?.jpg", "ab.jpg", true);
    row("ab?.jpg", "abc.jpg", true);
    row("a??", "a", true);
    row("a??", "abc", true);
    row("a??", "abcd", false);
    row("abc.*", "abc", true);
    row("abc.*", "abc.def", true);
    row("abc.*", "abcd", false);
    row("*.", "noext", true);
    row("*.", "has.ext", false);
    row("*a*b", "xaxb", true);
    row("*a*b", "xaxbx", false);
    row("CL*.JPG", "cl001.jpg", true);
    row(" *.*", "x.jpg", false);
    row(" *.*", " x.jpg", true);
    // Names of dots: "?" matches nothing before a dot, so the same token is tried at the
    // name's start and at its end, and the matcher's memo must keep the two apart.
    row("*?", ".", true);
    row("*??", "..", true);
    row("", "", true);
    row("", "a", false);
}

void TestDirectoryEnumeration::wildcard()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QTEST(FileNameMatches(pattern, name), "matches");
}

void TestDirectoryEnumeration::normalFilesInOrdinalOrder()
{
    const QDir dir(m_dir->path());
    for (const char *name :
         {"b.jpg", "A.jpg", "a.jpg", "_x", "10.jpg", "9.jpg", "README", "\xc3\xa9.jpg", ".hidden.jpg"})
        QVERIFY(touch(dir.filePath(QString::fromUtf8(name))));
    QVERIFY(dir.mkdir(QStringLiteral("dir.jpg")));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("b.jpg")), dir.filePath(QStringLiteral("link.jpg"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("dir.jpg")), dir.filePath(QStringLiteral("dirlink.jpg"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.jpg")), dir.filePath(QStringLiteral("broken.jpg"))));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.jpg"))).constData(), 0600), 0);

    m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(m_socket >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(dir.filePath(QStringLiteral("sock.jpg")));
    QVERIFY(size_t(socketPath.size()) < sizeof(address.sun_path));
    qstrcpy(address.sun_path, socketPath.constData());
    QCOMPARE(::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);

    DirectoryEnumeration enumeration;
    const QStringList expected{QStringLiteral("10.jpg"), QStringLiteral("9.jpg"),    QStringLiteral("A.jpg"),
                               QStringLiteral("README"), QStringLiteral("_x"),       QStringLiteral("a.jpg"),
                               QStringLiteral("b.jpg"),  QStringLiteral("link.jpg"), QStringLiteral("\u00e9.jpg")};
    QCOMPARE(enumerateAll(enumeration, m_dir->path() + QStringLiteral("/*.*")), expected);
}

// Names from a disc with Latin-1 names mounted without conversion. Each name comes back in
// a text form that gives its bytes back, so the file can be opened. The order is that of
// the texts' UTF-16 code units, as for valid names: a stray byte 0xE9 is the code unit
// U+DCE9, after the supplementary characters (surrogate pairs from U+D800) and before
// U+E000..U+FFFF. (Byte order would put it before both.)
void TestDirectoryEnumeration::namesThatAreNotUtf8()
{
    const QByteArray dir = QFile::encodeName(m_dir->path()) + '/';
    const QList<QByteArray> ordered{"67\xe9.JPG",           "z.jpg",    "\xc3\xa9.jpg",
                                    "\xf0\x90\x90\x80.jpg", "\xe9.jpg", "\xef\xbc\x81.jpg"};
    // QTemporaryDir removes by text names, which cannot reach these files.
    const auto removeByBytes = qScopeGuard([&] {
        for (const QByteArray &name : ordered)
            ::unlink((dir + name).constData());
    });
    for (const QByteArray &name : ordered)
        QVERIFY(touchBytes(dir + name));

    DirectoryEnumeration enumeration;
    const QStringList names = enumerateAll(enumeration, m_dir->path() + QStringLiteral("/*.*"));
    QCOMPARE(names.size(), ordered.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        QCOMPARE(FileName::toBytes(names.at(i)), std::optional<QByteArray>(ordered.at(i)));
        const QByteArray path = FileName::toBytes(m_dir->path() + QLatin1Char('/') + names.at(i)).value_or("");
        struct stat info;
        QCOMPARE(::stat(path.constData(), &info), 0);
    }
    QCOMPARE(names.at(2), QStringLiteral("\u00e9.jpg"));
}

void TestDirectoryEnumeration::wildcardPartSelectsNames()
{
    const QDir dir(m_dir->path());
    for (const char *name : {"57A01.jpg", "67A01.jpg", "67B02.jpg", "CL001.jpg"})
        QVERIFY(touch(dir.filePath(QString::fromLatin1(name))));
    DirectoryEnumeration enumeration;
    QCOMPARE(enumerateAll(enumeration, m_dir->path() + QStringLiteral("/67*")),
             QStringList({QStringLiteral("67A01.jpg"), QStringLiteral("67B02.jpg")}));
    QCOMPARE(enumerateAll(enumeration, m_dir->path() + QStringLiteral("/?L*.JPG")),
             QStringList({QStringLiteral("CL001.jpg")}));
    QCOMPARE(enumeration.First(m_dir->path() + QStringLiteral("/ZZ*")), QString());
}

void TestDirectoryEnumeration::firstRestartsAndNextRunsOut()
{
    const QDir dir(m_dir->path());
    for (const char *name : {"1.jpg", "2.jpg", "3.jpg"})
        QVERIFY(touch(dir.filePath(QString::fromLatin1(name))));
    const QString pattern = m_dir->path() + QStringLiteral("/*.*");

    DirectoryEnumeration enumeration;
    QCOMPARE(enumeration.Next(), QString()); // nothing started yet
    QCOMPARE(enumeration.First(pattern), QStringLiteral("1.jpg"));
    QCOMPARE(enumeration.Next(), QStringLiteral("2.jpg"));
    QCOMPARE(enumeration.First(pattern), QStringLiteral("1.jpg"));
    QCOMPARE(enumeration.Next(), QStringLiteral("2.jpg"));
    QCOMPARE(enumeration.Next(), QStringLiteral("3.jpg"));
    QCOMPARE(enumeration.Next(), QString());
    QCOMPARE(enumeration.Next(), QString());
    QCOMPARE(enumeration.First(pattern), QStringLiteral("1.jpg"));
}

void TestDirectoryEnumeration::orderIsFixedAtFirst()
{
    const QDir dir(m_dir->path());
    for (const char *name : {"1.jpg", "3.jpg", "5.jpg"})
        QVERIFY(touch(dir.filePath(QString::fromLatin1(name))));
    DirectoryEnumeration enumeration;
    QCOMPARE(enumeration.First(m_dir->path() + QStringLiteral("/*.*")), QStringLiteral("1.jpg"));
    QVERIFY(touch(dir.filePath(QStringLiteral("2.jpg"))));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("5.jpg"))));
    QCOMPARE(enumeration.Next(), QStringLiteral("3.jpg"));
    QCOMPARE(enumeration.Next(), QStringLiteral("5.jpg"));
    QCOMPARE(enumeration.Next(), QString());
}

void TestDirectoryEnumeration::emptyDirectory()
{
    DirectoryEnumeration enumeration;
    QCOMPARE(enumeration.First(m_dir->path() + QStringLiteral("/*.*")), QString());
    QCOMPARE(enumeration.Next(), QString());
}

void TestDirectoryEnumeration::patternWithoutDirectoryUsesTheCurrentOne()
{
    QVERIFY(touch(QDir(m_dir->path()).filePath(QStringLiteral(" blank.jpg"))));
    QVERIFY(touch(QDir(m_dir->path()).filePath(QStringLiteral("other.jpg"))));
    QVERIFY(QDir::setCurrent(m_dir->path()));
    DirectoryEnumeration enumeration;
    QCOMPARE(enumeration.First(QStringLiteral("*.*")), QStringLiteral(" blank.jpg"));
    QCOMPARE(enumeration.Next(), QStringLiteral("other.jpg"));
    // The default photo directory is a single blank: names beginning with one.
    QCOMPARE(enumerateAll(enumeration, QStringLiteral(" *.*")), QStringList{QStringLiteral(" blank.jpg")});
}

// A photo directory of "/" lists the root's files, not the current directory's; the
// expected names come from Qt's listing of the root, judged the same way.
void TestDirectoryEnumeration::rootDirectory()
{
    const QString here = QFileInfo(m_dir->path()).fileName() + QStringLiteral(".jpg");
    QVERIFY(touch(QDir(m_dir->path()).filePath(here)));
    QVERIFY(QDir::setCurrent(m_dir->path()));

    QStringList expected;
    QDirIterator root(QStringLiteral("/"), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (root.hasNext()) {
        root.next();
        if (!root.fileName().startsWith(QLatin1Char('.')) && root.fileInfo().isFile())
            expected << root.fileName();
    }
    expected.sort();

    DirectoryEnumeration enumeration;
    const QStringList names = enumerateAll(enumeration, QStringLiteral("/*.*"));
    QCOMPARE(names, expected);
    QVERIFY(!names.contains(here));
}

void TestDirectoryEnumeration::missingDirectoryIsAnError_data()
{
    QTest::addColumn<QString>("relativePattern");
    QTest::newRow("missing directory") << QStringLiteral("/missing/*.*");
    QTest::newRow("a file taken for a directory") << QStringLiteral("/file.jpg/*.*");
}

void TestDirectoryEnumeration::missingDirectoryIsAnError()
{
    QFETCH(QString, relativePattern);
    QVERIFY(touch(QDir(m_dir->path()).filePath(QStringLiteral("file.jpg"))));
    DirectoryEnumeration enumeration;
    try {
        enumeration.First(m_dir->path() + relativePattern);
        QFAIL("no error raised");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), RuntimeError::PathNotFound);
    }
    QCOMPARE(enumeration.Next(), QString());
}

// A listing made on one occasion serves a later First: the directory as it was then, in the
// order First(pattern) gives, however the directory has changed since.
void TestDirectoryEnumeration::listingMadeBeforeIsEnumeratedAsFirstWould()
{
    const QDir dir(m_dir->path());
    for (const char *name : {"5.jpg", "1.jpg", "3.jpg", ".hidden.jpg"})
        QVERIFY(touch(dir.filePath(QString::fromLatin1(name))));
    QVERIFY(dir.mkdir(QStringLiteral("sub.jpg")));
    const QString pattern = m_dir->path() + QStringLiteral("/*.*");
    DirectoryEnumeration now;
    const QStringList expected = enumerateAll(now, pattern);
    QCOMPARE(expected, QStringList({QStringLiteral("1.jpg"), QStringLiteral("3.jpg"), QStringLiteral("5.jpg")}));

    const DirectoryListing listing(pattern);
    QCOMPARE(listing.pattern(), pattern);
    QVERIFY(!listing.failed());
    QVERIFY(touch(dir.filePath(QStringLiteral("2.jpg"))));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("5.jpg"))));

    DirectoryEnumeration enumeration;
    for (int round = 0; round < 2; ++round) {
        QStringList names;
        for (QString name = enumeration.First(listing); !name.isEmpty(); name = enumeration.Next())
            names << name;
        QCOMPARE(names, expected);
        QVERIFY(enumeration.atEnd());
    }
}

void TestDirectoryEnumeration::failedListingRaisesAtFirstAndEndsTheEnumeration()
{
    QVERIFY(touch(QDir(m_dir->path()).filePath(QStringLiteral("1.jpg"))));
    QVERIFY(touch(QDir(m_dir->path()).filePath(QStringLiteral("2.jpg"))));
    const DirectoryListing missing(m_dir->path() + QStringLiteral("/missing/*.*"));
    QVERIFY(missing.failed());

    DirectoryEnumeration enumeration;
    QCOMPARE(enumeration.First(m_dir->path() + QStringLiteral("/*.*")), QStringLiteral("1.jpg"));
    QVERIFY(!enumeration.atEnd());
    try {
        enumeration.First(missing);
        QFAIL("no error raised");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), RuntimeError::PathNotFound);
        QVERIFY2(error.message().contains(QStringLiteral("missing")), qPrintable(error.message()));
    }
    // The enumeration it replaced is gone: 2.jpg does not follow.
    QVERIFY(enumeration.atEnd());
    QCOMPARE(enumeration.Next(), QString());
}

void TestDirectoryEnumeration::stoppedListingGivesNothing()
{
    const QDir dir(m_dir->path());
    for (const char *name : {"1.jpg", "2.jpg"})
        QVERIFY(touch(dir.filePath(QString::fromLatin1(name))));
    const QString pattern = m_dir->path() + QStringLiteral("/*.*");

    std::stop_source running;
    const std::optional<DirectoryListing> finished = DirectoryListing::unlessStopped(pattern, running.get_token());
    QVERIFY(finished);
    QCOMPARE(finished->names(), QStringList({QStringLiteral("1.jpg"), QStringLiteral("2.jpg")}));

    std::stop_source stopped;
    stopped.request_stop();
    QVERIFY(!DirectoryListing::unlessStopped(pattern, stopped.get_token()));
}

QTEST_GUILESS_MAIN(TestDirectoryEnumeration)
#include "tst_directory_enumeration.moc"
