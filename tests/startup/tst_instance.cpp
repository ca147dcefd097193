#include "IsolatedUserDirs.h"
#include "ProgramProcess.h"

#include <QFile>
#include <QtTest>

#include <csignal>
#include <memory>
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
    ProgramProcess first(dirs.environment());
    QVERIFY(first.start());
    QVERIFY(staysUp(first));

    for (const QStringList &arguments : {QStringList{}, QStringList{QStringLiteral("/c")}}) {
        ProgramProcess second(dirs.environment());
        QVERIFY(second.start(arguments));
        QVERIFY2(second.waitForExit(10000), "the second copy kept running");
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
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
        // The copies that lose end on their own; the winner must still be up afterwards.
        QTest::qWait(2000);
        int running = 0;
        for (auto &copy : copies) {
            if (!copy->waitForExit(100))
                ++running;
            else
                QCOMPARE(copy->exitCode(), 0);
        }
        QCOMPARE(running, 1);
    }
}

void TestInstance::lockOfKilledCopyIsTakenOver()
{
    IsolatedUserDirs dirs;
    {
        ProgramProcess crashed(dirs.environment());
        QVERIFY(crashed.start());
        QVERIFY(staysUp(crashed));
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

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
