#include "FakeSaver.h"
#include "saver_cycle/SaverProcess.h"

#include <QTest>

// The saver as the bench runs it: its standard error read as it comes, and its end as a
// daemon ends it, reported when it is anything but a clean exit.
class TestSaverProcess : public QObject
{
    Q_OBJECT

private slots:
    void readsUntilTheLogHoldsWhatIsWaitedFor();
    void readingStopsWhenTheSaverEnds();
    void startFailureIsExplained();
    void endTellsHowTheSaverEnded_data();
    void endTellsHowTheSaverEnded();
};

void TestSaverProcess::readsUntilTheLogHoldsWhatIsWaitedFor()
{
    FakeSaver fake(QStringLiteral("echo 'dravik.timing: Timer1_Timer 10 us' >&2\n"
                                  "sleep 0.3\n"
                                  "echo 'dravik.timing: Timer1_Timer 20 us' >&2\n"
                                  "echo 'on standard output' \n"
                                  "exec sleep 30\n"));
    QVERIFY(fake.isValid());
    SaverProcess saver(fake.path(), QProcessEnvironment::systemEnvironment());
    QString failure;
    QVERIFY2(saver.start(&failure), qPrintable(failure));
    QVERIFY(saver.processId() > 0);
    QVERIFY(saver.readUntil([](const SaverLog &log) { return log.ticks().size() == 2; }, QDeadlineTimer(10000)));
    QCOMPARE(saver.log().ticks().at(1).handlerMicroseconds, 20);
    QVERIFY(!saver.log().text().contains(QStringLiteral("standard output")));
    // Nothing more comes: the deadline ends the wait, the saver still running.
    QVERIFY(!saver.readUntil([](const SaverLog &log) { return log.ticks().size() == 3; }, QDeadlineTimer(200)));
    QVERIFY(saver.readUntil(QDeadlineTimer(100)));
    QVERIFY(saver.isRunning());
}

void TestSaverProcess::readingStopsWhenTheSaverEnds()
{
    FakeSaver fake(QStringLiteral("echo 'dravik.timing: Timer1_Timer 10 us' >&2\nexit 0\n"));
    QVERIFY(fake.isValid());
    SaverProcess saver(fake.path(), QProcessEnvironment::systemEnvironment());
    QString failure;
    QVERIFY2(saver.start(&failure), qPrintable(failure));
    QVERIFY(!saver.readUntil(QDeadlineTimer(20000)));
    QVERIFY(!saver.isRunning());
    // What it wrote before it ended is all there.
    QCOMPARE(saver.log().ticks().size(), 1);
    QCOMPARE(saver.end(1000), QStringLiteral("the saver had ended by itself before it was told to"));
}

void TestSaverProcess::startFailureIsExplained()
{
    SaverProcess saver(QStringLiteral("/nonexistent/Dravik2001.scr"), QProcessEnvironment::systemEnvironment());
    QString failure;
    QVERIFY(!saver.start(&failure));
    QVERIFY2(failure.contains(QStringLiteral("/nonexistent/Dravik2001.scr could not be started")), qPrintable(failure));
}

void TestSaverProcess::endTellsHowTheSaverEnded_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("outcome");
    // Each writes a line once its trap is set. A running sleep delays the shell's trap; a short
    // one keeps the test short.
    QTest::newRow("clean") << QStringLiteral("trap 'exit 0' TERM\necho started >&2\nwhile :; do sleep 0.05; done\n")
                           << QString();
    QTest::newRow("status") << QStringLiteral("trap 'exit 3' TERM\necho started >&2\nwhile :; do sleep 0.05; done\n")
                            << QStringLiteral("the saver ended with status 3");
    QTest::newRow("signal") << QStringLiteral("echo started >&2\nexec sleep 30\n")
                            << QStringLiteral("the saver died of a signal instead of ending with status 0");
    QTest::newRow("deaf") << QStringLiteral("trap '' TERM\necho started >&2\nexec sleep 30\n")
                          << QStringLiteral("the saver did not end within 1 s of SIGTERM and was killed");
}

void TestSaverProcess::endTellsHowTheSaverEnded()
{
    QFETCH(QString, script);
    QFETCH(QString, outcome);
    FakeSaver fake(script);
    QVERIFY(fake.isValid());
    SaverProcess saver(fake.path(), QProcessEnvironment::systemEnvironment());
    QString failure;
    QVERIFY2(saver.start(&failure), qPrintable(failure));
    QVERIFY(saver.readUntil([](const SaverLog &log) { return log.text().contains(QStringLiteral("started")); },
                            QDeadlineTimer(10000)));
    QCOMPARE(saver.end(1000), outcome);
    QVERIFY(!saver.isRunning());
}

QTEST_GUILESS_MAIN(TestSaverProcess)
#include "tst_saver_process.moc"
