#include "saver_cycle/SaverLog.h"

#include <QTest>

// The reading of the saver's standard error that the bench's tick and user-interface figures
// come from: a line counted twice, missed, or taken from another category gives wrong figures
// that look right.
class TestSaverLog : public QObject
{
    Q_OBJECT

private slots:
    void ticksAndTheirDeferredCompletions();
    void linesSplitAcrossReads();
    void aBuildWithoutTimingLinesHasNoTicks();
    void otherCategoriesAreNotTicks();
    void unknownTimingLinesAreKeptApart();
    void windowShownAndTheFirstFailure();
};

void TestSaverLog::ticksAndTheirDeferredCompletions()
{
    SaverLog log;
    log.append("dravik.timing: Timer1_Timer 1200 us\n"
               "dravik.timing: Timer1_Timer 300 us\n"
               "dravik.timing: photo shown 2500 us\n"
               "dravik.timing: photo shown 40 us\n"
               "dravik.timing: Timer1_Timer 0 us\n");
    QCOMPARE(log.ticks().size(), 3);
    QCOMPARE(log.ticks().at(0).userInterfaceMicroseconds(), 1200);
    QCOMPARE(log.ticks().at(1).handlerMicroseconds, 300);
    QCOMPARE(log.ticks().at(1).completionMicroseconds, 2540);
    QCOMPARE(log.ticks().at(1).userInterfaceMicroseconds(), 2840);
    // A tick that took no time is still a tick.
    QCOMPARE(log.ticks().at(2).userInterfaceMicroseconds(), 0);
    QVERIFY(log.unexpectedTimingLines().isEmpty());
}

void TestSaverLog::linesSplitAcrossReads()
{
    SaverLog log;
    log.append("dravik.tim");
    log.append("ing: Timer1_Timer 12");
    QCOMPARE(log.ticks().size(), 0); // not a line until its newline has come
    log.append("34 us\ndravik.timing: photo shown 5");
    QCOMPARE(log.ticks().size(), 1);
    QCOMPARE(log.ticks().at(0).userInterfaceMicroseconds(), 1234);
    log.append("6 us\n");
    QCOMPARE(log.ticks().at(0).completionMicroseconds, 56);
    QCOMPARE(log.text(), QStringLiteral("dravik.timing: Timer1_Timer 1234 us\ndravik.timing: photo shown 56 us\n"));
}

void TestSaverLog::aBuildWithoutTimingLinesHasNoTicks()
{
    SaverLog log;
    log.append("dravik.lifecycle: Form1 shown: display count -1\n"
               "qt.qpa.xcb: QXcbConnection: XCB error: 3 (BadWindow)\n");
    QVERIFY(log.windowShown());
    QVERIFY(log.ticks().isEmpty());
    QVERIFY(log.unexpectedTimingLines().isEmpty());
}

void TestSaverLog::otherCategoriesAreNotTicks()
{
    SaverLog log;
    log.append("dravik.lifecycle: Timer1_Timer 1000 us\n"
               "dravik.timingx: Timer1_Timer 1000 us\n"
               "xdravik.timing: Timer1_Timer 1000 us\n"
               "Timer1_Timer 1000 us\n");
    QVERIFY(log.ticks().isEmpty());
}

void TestSaverLog::unknownTimingLinesAreKeptApart()
{
    SaverLog log;
    log.append("dravik.timing: photo shown 70 us\n" // before any tick
               "dravik.timing: Timer1_Timer 1.5 ms\n"
               "dravik.timing: Timer1_Timer -3 us\n"
               "dravik.timing: Timer1_Timer 12 us extra\n"
               "dravik.timing: decoded 57A01.jpg in 90000 us\n"
               "dravik.timing: Timer1_Timer 10 us\n");
    QCOMPARE(log.ticks().size(), 1);
    QCOMPARE(log.ticks().at(0).userInterfaceMicroseconds(), 10);
    QCOMPARE(log.unexpectedTimingLines(),
             QStringList({QStringLiteral("photo shown 70 us"), QStringLiteral("Timer1_Timer 1.5 ms"),
                          QStringLiteral("Timer1_Timer -3 us"), QStringLiteral("Timer1_Timer 12 us extra"),
                          QStringLiteral("decoded 57A01.jpg in 90000 us")}));
}

void TestSaverLog::windowShownAndTheFirstFailure()
{
    SaverLog log;
    QVERIFY(!log.windowShown());
    QVERIFY(log.tickFailure().isEmpty());
    log.append("dravik.lifecycle: Form1 shown: display count -1\n"
               "dravik.lifecycle: Timer1_Timer failed: File not found: LoadPicture(\"/p/57A01.jpg\")\n"
               "dravik.lifecycle: Timer1_Timer failed: Path not found\n");
    QVERIFY(log.windowShown());
    QCOMPARE(log.tickFailure(), QStringLiteral("Timer1_Timer failed: File not found: LoadPicture(\"/p/57A01.jpg\")"));
}

QTEST_GUILESS_MAIN(TestSaverLog)
#include "tst_saver_log.moc"
