#include "platform/runtime/RuntimeError.h"
#include "settings/IntervalCycle.h"

#include <QtTest>

#include <limits>

// The sixteen intervals the spin button steps through, and the texts shown and saved for
// them. Plain functions: no display involved.
class TestIntervalCycle : public QObject
{
    Q_OBJECT

private slots:
    void sixteenStepsUpComeBackToOneSecond();
    void sixteenStepsDownComeBackToOneSecond();
    void singleSteps_data();
    void singleSteps();
    void stepsThatWouldOverflowRaise_data();
    void stepsThatWouldOverflowRaise();
    void secondsText_data();
    void secondsText();
};

namespace {

struct CycleValue
{
    qint32 ms;
    const char *caption;
};

// The cycle in ascending order; one second shows the plural too.
const CycleValue kCycle[16] = {
    {1000, "1 Seconds"},   {2000, "2 Seconds"},   {3000, "3 Seconds"},   {4000, "4 Seconds"},
    {5000, "5 Seconds"},   {10000, "10 Seconds"}, {15000, "15 Seconds"}, {20000, "20 Seconds"},
    {25000, "25 Seconds"}, {30000, "30 Seconds"}, {35000, "35 Seconds"}, {40000, "40 Seconds"},
    {45000, "45 Seconds"}, {50000, "50 Seconds"}, {55000, "55 Seconds"}, {60000, "60 Seconds"},
};

} // namespace

void TestIntervalCycle::sixteenStepsUpComeBackToOneSecond()
{
    qint32 intervalMs = 1000;
    for (int step = 1; step <= 16; ++step) {
        const CycleValue &expected = kCycle[step % 16];
        intervalMs = IntervalStepUp(intervalMs);
        QCOMPARE(intervalMs, expected.ms);
        QCOMPARE(IntervalCaption(intervalMs), QString::fromLatin1(expected.caption));
    }
    QCOMPARE(intervalMs, 1000);
}

void TestIntervalCycle::sixteenStepsDownComeBackToOneSecond()
{
    qint32 intervalMs = 1000;
    for (int step = 1; step <= 16; ++step) {
        const CycleValue &expected = kCycle[(16 - step) % 16];
        intervalMs = IntervalStepDown(intervalMs);
        QCOMPARE(intervalMs, expected.ms);
        QCOMPARE(IntervalCaption(intervalMs), QString::fromLatin1(expected.caption));
    }
    QCOMPARE(intervalMs, 1000);
}

void TestIntervalCycle::singleSteps_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<qint32>("from");
    QTest::addColumn<qint32>("to");

    QTest::newRow("1 up to 2") << true << 1000 << 2000;
    QTest::newRow("1 down wraps to 60") << false << 1000 << 60000;
    QTest::newRow("4 up to 5") << true << 4000 << 5000;
    QTest::newRow("5 up to 10 by the general rule") << true << 5000 << 10000;
    QTest::newRow("5 down to 4") << false << 5000 << 4000;
    QTest::newRow("10 down to 5 by the general rule") << false << 10000 << 5000;
    QTest::newRow("60 up wraps to 1") << true << 60000 << 1000;
    QTest::newRow("60 down to 55") << false << 60000 << 55000;
    // Off the cycle the general rule still applies.
    QTest::newRow("7 up to 12") << true << 7000 << 12000;
    QTest::newRow("7 down to 2") << false << 7000 << 2000;
    QTest::newRow("65 up to 70") << true << 65000 << 70000;
}

void TestIntervalCycle::singleSteps()
{
    QFETCH(bool, up);
    QFETCH(qint32, from);
    QFETCH(qint32, to);

    QCOMPARE(up ? IntervalStepUp(from) : IntervalStepDown(from), to);
}

void TestIntervalCycle::stepsThatWouldOverflowRaise_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<qint32>("from");

    QTest::newRow("up from the largest") << true << std::numeric_limits<qint32>::max();
    QTest::newRow("up from just below it") << true << std::numeric_limits<qint32>::max() - 4999;
    QTest::newRow("down from the smallest") << false << std::numeric_limits<qint32>::min();
    QTest::newRow("down from just above it") << false << std::numeric_limits<qint32>::min() + 4999;
}

void TestIntervalCycle::stepsThatWouldOverflowRaise()
{
    QFETCH(bool, up);
    QFETCH(qint32, from);

    try {
        up ? IntervalStepUp(from) : IntervalStepDown(from);
        QFAIL("no error was raised");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), RuntimeError::Overflow);
        QCOMPARE(error.source(), up ? QStringLiteral("SpinInterval_Up") : QStringLiteral("SpinInterval_Down"));
    }
}

void TestIntervalCycle::secondsText_data()
{
    QTest::addColumn<qint32>("intervalMs");
    QTest::addColumn<QString>("text");

    QTest::newRow("1 s") << 1000 << QStringLiteral("1");
    QTest::newRow("15 s") << 15000 << QStringLiteral("15");
    QTest::newRow("60 s") << 60000 << QStringLiteral("60");
    // Seconds are a quotient, not a whole-number division.
    QTest::newRow("1.5 s") << 1500 << QStringLiteral("1.5");
    QTest::newRow("0.25 s") << 250 << QStringLiteral("0.25");
}

void TestIntervalCycle::secondsText()
{
    QFETCH(qint32, intervalMs);
    QFETCH(QString, text);

    QCOMPARE(IntervalSecondsText(intervalMs), text);
    QCOMPARE(IntervalCaption(intervalMs), text + QStringLiteral(" Seconds"));
}

QTEST_APPLESS_MAIN(TestIntervalCycle)
#include "tst_interval_cycle.moc"
