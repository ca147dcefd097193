#include "platform/process/InstanceLock.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The instance lock belongs to the process that took it, and to nothing it forks: libraries
// fork helpers (a message bus starter, for one) that may outlive the program.
class TestInstanceLock : public QObject
{
    Q_OBJECT

private slots:
    void secondLockInAnotherProcessSeesTheFirst();
    void forkedChildDoesNotKeepTheLock();
    void withoutRuntimeVariableTheLockIsInAPrivateFolderOfTheUser();
    void folderNotPrivateToTheUserHoldsNoLock_data();
    void folderNotPrivateToTheUserHoldsNoLock();

private:
    // Runs work in a child process; its status is work's result.
    static int inChild(const std::function<int()> &work);
};

int TestInstanceLock::inChild(const std::function<int()> &work)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(work());
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void TestInstanceLock::secondLockInAnotherProcessSeesTheFirst()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    const InstanceLock first(runtime.path());
    QVERIFY(!first.anotherInstanceRuns());
    QCOMPARE(inChild([&] { return InstanceLock(runtime.path()).anotherInstanceRuns() ? 0 : 1; }), 0);
}

void TestInstanceLock::forkedChildDoesNotKeepTheLock()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    int release[2] = {-1, -1};
    QCOMPARE(::pipe(release), 0);
    // The holder forks a helper that lives on after the holder has ended.
    const int holder = inChild([&] {
        const InstanceLock lock(runtime.path());
        if (lock.anotherInstanceRuns())
            return 1;
        if (::fork() == 0) {
            ::close(release[1]);
            char byte = 0;
            ::_exit(int(::read(release[0], &byte, 1)));
        }
        return 0;
    });
    ::close(release[0]);
    QCOMPARE(holder, 0);

    const InstanceLock next(runtime.path());
    ::close(release[1]); // the helper ends
    QVERIFY2(!next.anotherInstanceRuns(), "the holder's forked helper kept the lock");
}

void TestInstanceLock::withoutRuntimeVariableTheLockIsInAPrivateFolderOfTheUser()
{
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTemporary = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    const QString folder = InstanceLock::defaultRuntimeDirectory();
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qputenv("TMPDIR", savedTemporary);

    QCOMPARE(QFileInfo(folder).dir().path(), temporary.path());
    QVERIFY2(QFileInfo(folder).fileName().startsWith(QStringLiteral("runtime-")), qPrintable(folder));
    const InstanceLock first(folder);
    QVERIFY(!first.anotherInstanceRuns());
    struct stat status = {};
    QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &status), 0);
    QVERIFY(S_ISDIR(status.st_mode));
    QCOMPARE(status.st_mode & 0777, 0700u);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Dravik2001.lock")));
    QCOMPARE(inChild([&] { return InstanceLock(folder).anotherInstanceRuns() ? 0 : 1; }), 0);
}

void TestInstanceLock::folderNotPrivateToTheUserHoldsNoLock_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("open to everyone") << QStringLiteral("0777") << QStringLiteral("open to other users");
    QTest::newRow("shared like /tmp") << QStringLiteral("1777") << QStringLiteral("open to other users");
    QTest::newRow("readable by the group") << QStringLiteral("0740") << QStringLiteral("open to other users");
    QTest::newRow("another user's") << QStringLiteral("foreign") << QStringLiteral("belongs to another user");
    QTest::newRow("symbolic link to a private folder")
        << QStringLiteral("symlink") << QStringLiteral("is a symbolic link");
    QTest::newRow("relative path") << QStringLiteral("relative") << QStringLiteral("not an absolute path");
}

// A folder others may write in (or that is theirs) could have a link put where the lock goes;
// the lock must then go nowhere: not there, not in the current directory.
void TestInstanceLock::folderNotPrivateToTheUserHoldsNoLock()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString previousCurrent = QDir::currentPath();
    const QString privateFolder = base.filePath(QStringLiteral("private"));
    const QString current = base.filePath(QStringLiteral("current"));
    QVERIFY(QDir().mkpath(privateFolder) && QDir().mkpath(current));
    QFile::setPermissions(privateFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QString folder = base.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(folder));
    const QByteArray encoded = QFile::encodeName(folder);
    if (kind == QStringLiteral("foreign")) {
        if (::geteuid() != 0)
            QSKIP("needs root, to give the folder to another user");
        QCOMPARE(::chmod(encoded.constData(), 0700), 0);
        QCOMPARE(::chown(encoded.constData(), 65534, 65534), 0);
    } else if (kind == QStringLiteral("symlink")) {
        QVERIFY(QDir().rmdir(folder));
        QVERIFY(QFile::link(privateFolder, folder));
    } else if (kind == QStringLiteral("relative")) {
        QVERIFY(QDir::setCurrent(base.path()));
        folder = QStringLiteral("runtime");
    } else {
        QCOMPARE(::chmod(encoded.constData(), mode_t(kind.toUInt(nullptr, 8))), 0);
    }
    if (kind != QStringLiteral("relative"))
        QVERIFY(QDir::setCurrent(current));

    // What the lock says on stderr, caught in a file for the while.
    QTemporaryFile said;
    QVERIFY(said.open());
    std::fflush(stderr);
    const int savedStderr = ::dup(STDERR_FILENO);
    ::dup2(said.handle(), STDERR_FILENO);
    bool anotherRuns = true;
    {
        const InstanceLock lock(folder);
        anotherRuns = lock.anotherInstanceRuns();
    }
    std::fflush(stderr);
    ::dup2(savedStderr, STDERR_FILENO);
    ::close(savedStderr);
    QDir::setCurrent(previousCurrent);

    QVERIFY(!anotherRuns);
    said.seek(0);
    const QString message = QString::fromLocal8Bit(said.readAll());
    QCOMPARE(message.count(QLatin1Char('\n')), 1);
    QVERIFY2(message.contains(QStringLiteral("running as if alone")) && message.contains(reason), qPrintable(message));
    for (const QString &place : {base.filePath(QStringLiteral("runtime")), privateFolder, current, base.path()})
        QVERIFY2(!QFileInfo::exists(place + QStringLiteral("/Dravik2001.lock")), qPrintable(place));
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instance_lock.moc"
