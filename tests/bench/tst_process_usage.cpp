#include "ProcessUsage.h"

#include <QCoreApplication>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

// Reading the kernel's counts: utime and stime are fields 14 and 15 of a stat line whose
// second field, the command name, may hold spaces and parentheses of its own.
class TestProcessUsage : public QObject
{
    Q_OBJECT

private slots:
    void cpuTicksAreUtimePlusStime_data();
    void cpuTicksAreUtimePlusStime();
    void malformedStatGivesNothing_data();
    void malformedStatGivesNothing();
    void peakResidentMemory();
    void thisProcessCanBeRead();
    void aProcessThatIsGoneGivesNothing();
};

namespace {

// A stat line with the command name given and utime 250, stime 37.
QByteArray statLine(const QByteArray &name)
{
    return "4242 (" + name
        + ") S 1 4242 4242 0 -1 4194304 1513 0 0 0 250 37 0 0 20 0 5 0 123456 302948352 11025 "
          "18446744073709551615 1 1 0 0 0 0 0 4096 0 0 0 0 17 1 0 0 0 0 0\n";
}

} // namespace

void TestProcessUsage::cpuTicksAreUtimePlusStime_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("plain") << QByteArray("Dravik2001.scr");
    QTest::newRow("spaces") << QByteArray("a b c d e f");
    QTest::newRow("parentheses") << QByteArray("x) S 1 2 3 (y");
    QTest::newRow("empty") << QByteArray();
}

void TestProcessUsage::cpuTicksAreUtimePlusStime()
{
    QFETCH(QByteArray, name);
    QCOMPARE(ProcessUsage::cpuTicksFromStat(statLine(name)), std::optional<qint64>(287));
}

void TestProcessUsage::malformedStatGivesNothing_data()
{
    QTest::addColumn<QByteArray>("stat");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no name") << QByteArray("4242 S 1 4242 4242 0 -1 4194304 1513 0 0 0 250 37 0 0");
    QTest::newRow("cut short") << QByteArray("4242 (saver) S 1 4242 4242 0 -1 4194304 1513 0 0 0 250");
    QTest::newRow("not a number") << statLine("saver").replace(" 250 37 ", " 250 x7 ");
    QTest::newRow("negative") << statLine("saver").replace(" 250 37 ", " -250 37 ");
}

void TestProcessUsage::malformedStatGivesNothing()
{
    QFETCH(QByteArray, stat);
    QCOMPARE(ProcessUsage::cpuTicksFromStat(stat), std::nullopt);
}

void TestProcessUsage::peakResidentMemory()
{
    const QByteArray status = "Name:\tDravik2001.scr\nVmPeak:\t  812340 kB\nVmSize:\t  812340 kB\n"
                              "VmHWM:\t   44123 kB\nVmRSS:\t   40000 kB\n";
    QCOMPARE(ProcessUsage::peakResidentKilobytesFromStatus(status), std::optional<qint64>(44123));
    QCOMPARE(ProcessUsage::peakResidentKilobytesFromStatus("Name:\tx\nVmRSS:\t 4 kB\n"), std::nullopt);
    QCOMPARE(ProcessUsage::peakResidentKilobytesFromStatus("VmHWM:\t 4 MB\n"), std::nullopt);
    QCOMPARE(ProcessUsage::peakResidentKilobytesFromStatus("VmHWM:\t kB\n"), std::nullopt);
}

void TestProcessUsage::thisProcessCanBeRead()
{
    const qint64 self = QCoreApplication::applicationPid();
    QVERIFY(ProcessUsage::processCpuTicks(self).has_value());
    QVERIFY(ProcessUsage::threadCpuTicks(self, self).has_value());
    QVERIFY(*ProcessUsage::threadCpuTicks(self, self) <= *ProcessUsage::processCpuTicks(self));
    // This test's own binary and Qt are mapped and touched: well over a megabyte.
    QVERIFY(ProcessUsage::peakResidentKilobytes(self).value_or(0) > 1024);
    QVERIFY(ProcessUsage::ticksPerSecond() > 0);
}

void TestProcessUsage::aProcessThatIsGoneGivesNothing()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    QVERIFY(child > 0);
    QCOMPARE(::waitpid(child, nullptr, 0), child);
    QCOMPARE(ProcessUsage::processCpuTicks(child), std::nullopt);
    QCOMPARE(ProcessUsage::peakResidentKilobytes(child), std::nullopt);
    const qint64 self = QCoreApplication::applicationPid();
    QCOMPARE(ProcessUsage::threadCpuTicks(self, child), std::nullopt);
}

QTEST_GUILESS_MAIN(TestProcessUsage)
#include "tst_process_usage.moc"
