#include "SaverProgramFixture.h"

#include <QFile>
#include <QtTest>

#include <csignal>

#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Only one copy of the program runs per user, and a lock left behind never blocks it.
class TestInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondCopyEndsAtOnceWithSuccess();
    void twoStartedTogetherLeaveExactlyOne();
    void lockOfKilledCopyIsTakenOver();
    void runsAloneWhenNoLockCanBeMade();
    void somethingElseInTheLocksPlaceIsLeftAlone_data();
    void somethingElseInTheLocksPlaceIsLeftAlone();
    void withoutRuntimeDirectoryTheLockNeedsAPrivateFolder_data();
    void withoutRuntimeDirectoryTheLockNeedsAPrivateFolder();

private:
    static bool staysUp(ProgramProcess &program);
};

bool TestInstance::staysUp(ProgramProcess &program)
{
    // Long enough for a second copy to have found the lock and gone.
    return !program.waitForExit(1500);
}

void TestInstance::secondCopyEndsAtOnceWithSuccess()
{
    IsolatedUserDirs dirs;
    ProgramProcess first(SaverProgramFixture::withLifecycleLog(dirs.environment()));
    QVERIFY(first.start());
    QVERIFY(first.waitForStderr(QStringLiteral("Form1 shown")));

    for (const QStringList &arguments : {QStringList{}, QStringList{QStringLiteral("/c")}}) {
        ProgramProcess second(dirs.environment());
        QVERIFY(second.start(arguments));
        SaverProgramFixture::waitForGoodEnd(second, QStringLiteral("it started as the second copy"));
    }
    QVERIFY(first.isRunning());
}

void TestInstance::twoStartedTogetherLeaveExactlyOne()
{
    for (int round = 0; round < 5; ++round) {
        IsolatedUserDirs dirs;
        std::vector<std::unique_ptr<ProgramProcess>> copies;
        for (int i = 0; i < 3; ++i)
            copies.push_back(std::make_unique<ProgramProcess>(dirs.environment()));
        for (auto &copy : copies)
            QVERIFY(copy->start());
        // The copies that lose end on their own, however slowly they start; the winner
        // must still be up afterwards.
        const auto countRunning = [&copies] {
            int running = 0;
            for (auto &copy : copies) {
                if (!copy->waitForExit(50))
                    ++running;
            }
            return running;
        };
        QDeadlineTimer deadline(15000);
        while (countRunning() > 1 && !deadline.hasExpired())
            QTest::qWait(100);
        QTest::qWait(1000);
        const int running = countRunning();
        for (auto &copy : copies) {
            if (!copy->isRunning())
                QCOMPARE(copy->exitCode(), 0);
        }
        QCOMPARE(running, 1);
    }
}

void TestInstance::lockOfKilledCopyIsTakenOver()
{
    IsolatedUserDirs dirs;
    {
        ProgramProcess crashed(SaverProgramFixture::withLifecycleLog(dirs.environment()));
        QVERIFY(crashed.start());
        QVERIFY(crashed.waitForStderr(QStringLiteral("Form1 shown")));
        QVERIFY(::kill(static_cast<pid_t>(crashed.processId()), SIGKILL) == 0);
        QVERIFY(crashed.waitForExit());
    }
    QVERIFY2(QFile::exists(dirs.runtimeDir() + QStringLiteral("/Dravik2001.lock")), "the killed copy left no lock");

    ProgramProcess next(dirs.environment());
    QVERIFY(next.start());
    QVERIFY2(staysUp(next), qPrintable(next.standardError()));
}

void TestInstance::runsAloneWhenNoLockCanBeMade()
{
    IsolatedUserDirs dirs;
    // A runtime directory below a plain file can be neither created nor written, even by root.
    const QString blocker = dirs.configHome() + QStringLiteral("/not-a-directory");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QProcessEnvironment environment = dirs.environment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), blocker + QStringLiteral("/runtime"));

    ProgramProcess program(environment);
    QVERIFY(program.start());
    QVERIFY(program.waitForStderr(QStringLiteral("running as if alone")));
    QVERIFY(staysUp(program));
}

void TestInstance::somethingElseInTheLocksPlaceIsLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("symbolic link to a file") << QStringLiteral("symlink") << QStringLiteral("symbolic link");
    QTest::newRow("symbolic link to nothing") << QStringLiteral("dangling") << QStringLiteral("symbolic link");
    QTest::newRow("hard link to a file") << QStringLiteral("hardlink") << QStringLiteral("hard link");
    QTest::newRow("named pipe") << QStringLiteral("fifo") << QStringLiteral("not a regular file");
}

void TestInstance::somethingElseInTheLocksPlaceIsLeftAlone()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    IsolatedUserDirs dirs;
    const QString lock = dirs.runtimeDir() + QStringLiteral("/Dravik2001.lock");
    // Beside the lock, so that a hard link to it can be made.
    const QString precious = dirs.runtimeDir() + QStringLiteral("/precious");
    const QByteArray contents = QByteArrayLiteral("nothing may overwrite this\n");
    if (kind != QStringLiteral("dangling")) {
        QFile file(precious);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents), contents.size());
    }
    if (kind == QStringLiteral("hardlink"))
        QCOMPARE(::link(QFile::encodeName(precious).constData(), QFile::encodeName(lock).constData()), 0);
    else if (kind == QStringLiteral("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(precious, lock));

    ProgramProcess program(SaverProgramFixture::withLifecycleLog(dirs.environment()));
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(QStringLiteral("Form1 shown")), qPrintable(program.standardError()));
    if (kind == QStringLiteral("dangling")) {
        QVERIFY2(!QFileInfo::exists(precious), "the link's target was created");
    } else {
        QFile file(precious);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), contents);
    }
    const QString log = program.standardError();
    QVERIFY2(log.contains(QStringLiteral("running as if alone")) && log.contains(reason), qPrintable(log));
    QVERIFY(QFileInfo(lock).isSymLink() == (kind == QStringLiteral("symlink") || kind == QStringLiteral("dangling")));
    QVERIFY(program.isRunning());
}

void TestInstance::withoutRuntimeDirectoryTheLockNeedsAPrivateFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("not there yet") << QStringLiteral("absent");
    QTest::newRow("made by another user") << QStringLiteral("foreign");
    QTest::newRow("open to everyone") << QStringLiteral("shared");
}

// As a daemon that clears the environment starts it: no XDG_RUNTIME_DIR. The folder named for
// the user in the temporary directory may have been made by anyone first.
void TestInstance::withoutRuntimeDirectoryTheLockNeedsAPrivateFolder()
{
    QFETCH(QString, folder);
    IsolatedUserDirs dirs;
    QTemporaryDir temporary;
    QTemporaryDir current;
    QVERIFY(temporary.isValid() && current.isValid());
    const passwd *user = ::getpwuid(::geteuid());
    QVERIFY(user);
    const QString runtime = temporary.filePath(QStringLiteral("runtime-") + QFile::decodeName(user->pw_name));
    if (folder == QStringLiteral("foreign")) {
        if (::geteuid() != 0)
            QSKIP("needs root, to make the folder another user's");
        QVERIFY(QDir().mkdir(runtime));
        QCOMPARE(::chown(QFile::encodeName(runtime).constData(), 65534, 65534), 0);
    } else if (folder == QStringLiteral("shared")) {
        QVERIFY(QDir().mkdir(runtime));
        QCOMPARE(::chmod(QFile::encodeName(runtime).constData(), 01777), 0);
    }
    QProcessEnvironment environment = SaverProgramFixture::withLifecycleLog(dirs.environment());
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());

    ProgramProcess program(environment);
    program.setWorkingDirectory(current.path());
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(QStringLiteral("Form1 shown")), qPrintable(program.standardError()));
    QVERIFY2(!QFileInfo::exists(current.filePath(QStringLiteral("Dravik2001.lock"))),
             "the lock went into the current directory");
    const QString lock = runtime + QStringLiteral("/Dravik2001.lock");
    if (folder == QStringLiteral("absent")) {
        QVERIFY2(QFileInfo::exists(lock), qPrintable(program.standardError()));
        QCOMPARE(QFileInfo(runtime).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ProgramProcess second(environment);
        QVERIFY(second.start());
        QVERIFY2(second.waitForExit(10000), "the second copy did not find the lock");
        QCOMPARE(second.exitCode(), 0);
    } else {
        QVERIFY2(!QFileInfo::exists(lock), "the lock went into a folder that is not the user's alone");
        QVERIFY2(program.standardError().contains(QStringLiteral("running as if alone")),
                 qPrintable(program.standardError()));
    }
    QVERIFY(program.isRunning());
}

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
