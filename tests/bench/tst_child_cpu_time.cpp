#include "saver_cycle/ChildCpuTime.h"

#include <QTest>

// The floor's CPU figure: the child's own CPU time, not the wall time it took, and no figure
// at all for a command that failed.
class TestChildCpuTime : public QObject
{
    Q_OBJECT

private slots:
    void countsTheChildsCpu();
    void aSleepingChildCostsNoCpu();
    void failuresGiveNoFigure_data();
    void failuresGiveNoFigure();
};

void TestChildCpuTime::countsTheChildsCpu()
{
    QString failure;
    const std::optional<double> cpu =
        runForCpuSeconds({QStringLiteral("sh"), QStringLiteral("-c"),
                          QStringLiteral("i=0; while [ $i -lt 200000 ]; do i=$((i + 1)); done; echo counted $i")},
                         &failure);
    QVERIFY2(cpu.has_value(), qPrintable(failure));
    QVERIFY(*cpu > 0);
}

void TestChildCpuTime::aSleepingChildCostsNoCpu()
{
    QString failure;
    const std::optional<double> cpu = runForCpuSeconds({QStringLiteral("sleep"), QStringLiteral("0.5")}, &failure);
    QVERIFY2(cpu.has_value(), qPrintable(failure));
    // Half a second of wall time; starting sleep costs a few milliseconds of CPU at most.
    QVERIFY2(*cpu < 0.1, qPrintable(QString::number(*cpu)));
}

void TestChildCpuTime::failuresGiveNoFigure_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing program") << QStringList{QStringLiteral("/nonexistent/djpeg")}
                                     << QStringLiteral("could not be started");
    QTest::newRow("exit status") << QStringList{QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("exit 3")}
                                 << QStringLiteral("exited with status 3");
    QTest::newRow("signal") << QStringList{QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("kill -9 $$")}
                            << QStringLiteral("was ended by signal 9");
    QTest::newRow("no command") << QStringList() << QStringLiteral("no command");
}

void TestChildCpuTime::failuresGiveNoFigure()
{
    QFETCH(QStringList, command);
    QFETCH(QString, reason);
    QString failure;
    QCOMPARE(runForCpuSeconds(command, &failure), std::nullopt);
    QVERIFY2(failure.contains(reason), qPrintable(failure));
}

QTEST_GUILESS_MAIN(TestChildCpuTime)
#include "tst_child_cpu_time.moc"
