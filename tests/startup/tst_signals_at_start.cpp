#include "IsolatedUserDirs.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>

#include <sys/types.h>

// SIGTERM, SIGINT and SIGHUP end the program with status 0 however soon after its start they
// come, in both modes: also while Qt is still starting up, before the program could show a
// window. Nothing can catch a signal before the program's own code runs, so each signal is sent
// at a few delays after main has begun, which shows from outside as SIGPIPE becoming ignored
// (the program's first act besides holding the signals back).
class TestSignalsAtStart : public QObject
{
    Q_OBJECT

private slots:
    void endsWithSuccess_data();
    void endsWithSuccess();

private:
    static bool waitForMain(qint64 pid);
};

namespace {

// The signals the process ignores, from /proc; 0 when it cannot be told.
quint64 ignoredSignals(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigIgn:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16);
    }
    return 0;
}

void busyWait(qint64 microseconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.nsecsElapsed() < microseconds * 1000) {}
}

} // namespace

bool TestSignalsAtStart::waitForMain(qint64 pid)
{
    const quint64 brokenPipe = quint64(1) << (SIGPIPE - 1);
    const QDeadlineTimer deadline(10000);
    while (!(ignoredSignals(pid) & brokenPipe)) {
        if (deadline.hasExpired())
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

void TestSignalsAtStart::endsWithSuccess_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("signalNumber");
    for (const auto &[mode, arguments] :
         {std::pair{"saver", QStringList{}}, std::pair{"settings", QStringList{QStringLiteral("/c")}}}) {
        for (const auto &[name, number] :
             {std::pair{"SIGTERM", SIGTERM}, std::pair{"SIGINT", SIGINT}, std::pair{"SIGHUP", SIGHUP}})
            QTest::addRow("%s, %s", mode, name) << arguments << number;
    }
}

void TestSignalsAtStart::endsWithSuccess()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, signalNumber);
    // Qt's start-up takes some tens of milliseconds; these delays fall all over it, three
    // times each, since the start-up's own pace varies.
    QList<qint64> delaysUs;
    for (int round = 0; round < 3; ++round)
        delaysUs << QList<qint64>{0, 200, 500, 1000, 2000, 3000, 5000, 8000, 12000, 20000, 30000, 50000};

    for (const qint64 delay : std::as_const(delaysUs)) {
        IsolatedUserDirs dirs;
        QProcess program;
        program.setProcessEnvironment(dirs.environment());
        // As a desktop starts it: SIGPIPE at its default effect, no signal blocked.
        program.setChildProcessModifier([] {
            ::signal(SIGPIPE, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
        });
        program.start(QStringLiteral(DRAVIK_BINARY), arguments);
        QVERIFY(program.waitForStarted(10000));
        QVERIFY2(waitForMain(program.processId()), "the program never ignored SIGPIPE");
        busyWait(delay);
        QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
        QVERIFY2(program.waitForFinished(10000), qPrintable(QStringLiteral("still running %1 us").arg(delay)));
        const QString log = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(program.exitStatus() == QProcess::NormalExit,
                 qPrintable(QStringLiteral("killed by signal %1 when sent %2 us after main began\n%3")
                                .arg(program.exitCode())
                                .arg(delay)
                                .arg(log)));
        QVERIFY2(program.exitCode() == 0,
                 qPrintable(QStringLiteral("status %1 when sent %2 us after main began\n%3")
                                .arg(program.exitCode())
                                .arg(delay)
                                .arg(log)));
    }
}

QTEST_GUILESS_MAIN(TestSignalsAtStart)
#include "tst_signals_at_start.moc"
