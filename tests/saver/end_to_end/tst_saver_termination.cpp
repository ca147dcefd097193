#include "CloseHandlers.h"
#include "IsolatedUserDirs.h"
#include "ProgramProcess.h"
#include "SaverSettings.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The real program, stopped the way a Linux desktop's idle daemon stops a saver.
class TestSaverTermination : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void signalClosesThroughTheCloseHandlers_data();
    void signalClosesThroughTheCloseHandlers();
    void signalWhileTheFailureMessageIsOpen();
    void lockersResetSignalLeavesItRunning();

private:
    QProcessEnvironment environment() const;
    static void verifyClosedByHandlers(ProgramProcess &program);

    IsolatedUserDirs m_userDirs;
    QTemporaryDir m_photos;
};

void TestSaverTermination::initTestCase()
{
    m_userDirs.applyToThisProcess();
    QVERIFY(m_photos.isValid());
    QVERIFY(
        TestFiles::WriteFile(m_photos.filePath(QStringLiteral("CL001.png")), TestPictures::Solid(Qt::darkRed, "png")));
}

QProcessEnvironment TestSaverTermination::environment() const
{
    QProcessEnvironment env = m_userDirs.environment();
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("dravik.lifecycle.debug=true"));
    return env;
}

void TestSaverTermination::verifyClosedByHandlers(ProgramProcess &program)
{
    QVERIFY(program.waitForExit(10000));
    const QString log = program.standardError();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == 0, qPrintable(log));
    QVERIFY2(ClosedThroughCloseHandlers(log), qPrintable(log));
}

void TestSaverTermination::signalClosesThroughTheCloseHandlers_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestSaverTermination::signalClosesThroughTheCloseHandlers()
{
    QFETCH(int, signalNumber);
    StoreSaverSettings(QStringLiteral("60"), m_photos.path() + QLatin1Char('/'));
    ProgramProcess program(environment());
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(QStringLiteral("Form1 shown")), qPrintable(program.standardError()));

    QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
    verifyClosedByHandlers(program);
}

void TestSaverTermination::signalWhileTheFailureMessageIsOpen()
{
    QTemporaryDir empty;
    StoreSaverSettings(QStringLiteral("1"), empty.path() + QLatin1Char('/'));
    ProgramProcess program(environment());
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(QStringLiteral("Timer1_Timer failed")), qPrintable(program.standardError()));
    // The message box is open now and stays open: nobody answers it.
    QTest::qWait(1500);
    QVERIFY(program.isRunning());

    QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
    verifyClosedByHandlers(program);
    // One message the whole time, however many ticks came while it was open.
    QCOMPARE(program.standardError().count(QStringLiteral("Timer1_Timer failed")), 1);
}

// xsecurelock sends SIGUSR1 to reset its saver when its password prompt closes.
void TestSaverTermination::lockersResetSignalLeavesItRunning()
{
    StoreSaverSettings(QStringLiteral("60"), m_photos.path() + QLatin1Char('/'));
    ProgramProcess program(environment());
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(QStringLiteral("Form1 shown")), qPrintable(program.standardError()));

    QCOMPARE(::kill(pid_t(program.processId()), SIGUSR1), 0);
    QVERIFY2(program.waitForStderr(QStringLiteral("signal %1").arg(SIGUSR1)), qPrintable(program.standardError()));
    QVERIFY2(!program.waitForExit(1000), qPrintable(program.standardError()));
    QVERIFY(!program.standardError().contains(QStringLiteral("Form_Unload")));

    QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
    verifyClosedByHandlers(program);
}

QTEST_GUILESS_MAIN(TestSaverTermination)
#include "tst_saver_termination.moc"
