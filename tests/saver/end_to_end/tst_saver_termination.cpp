#include "CloseHandlers.h"
#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "TestFiles.h"
#include "TestPictures.h"

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
    static void verifyClosedByHandlers(ProgramProcess &program);

    SaverProgramFixture m_saver;
};

void TestSaverTermination::initTestCase()
{
    m_saver.setUp();
    QVERIFY(TestFiles::WriteFile(m_saver.photoDir() + QStringLiteral("CL001.png"),
                                 TestPictures::Solid(Qt::darkRed, "png")));
}

void TestSaverTermination::verifyClosedByHandlers(ProgramProcess &program)
{
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("the signal"));
    QVERIFY2(ClosedThroughCloseHandlers(program.standardError()), qPrintable(program.standardError()));
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
    StoreSaverSettings(QStringLiteral("60"), m_saver.photoDir());
    ProgramProcess program(m_saver.environment());
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(QStringLiteral("Form1 shown")), qPrintable(program.standardError()));

    QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
    verifyClosedByHandlers(program);
}

void TestSaverTermination::signalWhileTheFailureMessageIsOpen()
{
    QTemporaryDir empty;
    StoreSaverSettings(QStringLiteral("1"), empty.path() + QLatin1Char('/'));
    ProgramProcess program(m_saver.environment());
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
    StoreSaverSettings(QStringLiteral("60"), m_saver.photoDir());
    ProgramProcess program(m_saver.environment());
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
