#include "platform/desktop/Timer.h"
#include "platform/runtime/RuntimeError.h"

#include <QSignalSpy>
#include <QtTest>

// The timer the windows tick on.
class TestTimer : public QObject
{
    Q_OBJECT

private slots:
    void timerRefusesNegativeInterval();
    void timerIntervalZeroStopsTicks();
    void timerFirstTickComesOneIntervalAfterArming();
};

void TestTimer::timerRefusesNegativeInterval()
{
    Timer timer(1000, nullptr);
    try {
        timer.setInterval(-1);
        QFAIL("a negative interval was accepted");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), RuntimeError::InvalidPropertyValue);
    }
    QCOMPARE(timer.Interval(), 1000);
}

void TestTimer::timerIntervalZeroStopsTicks()
{
    Timer timer(10, nullptr);
    QSignalSpy ticks(&timer, &Timer::Tick);
    timer.setInterval(0);
    QTest::qWait(100);
    QCOMPARE(ticks.count(), 0);
}

void TestTimer::timerFirstTickComesOneIntervalAfterArming()
{
    Timer timer(1000, nullptr);
    QSignalSpy ticks(&timer, &Timer::Tick);
    timer.setInterval(400);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(ticks.wait(5000));
    QVERIFY2(clock.elapsed() >= 390, "ticked before one interval had passed");
}

QTEST_MAIN(TestTimer)
#include "tst_timer.moc"
