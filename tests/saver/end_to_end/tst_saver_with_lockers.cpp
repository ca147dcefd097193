#include "LogindStandIn.h"
#include "MultiMonitorX.h"
#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "XDoTool.h"
#include "XwdImage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <csignal>

#include <unistd.h>

// The real program under the screen lockers and idle timers people run without a screen-saver
// daemon, each the real program from Debian's packages, on Xvfb (1024 × 768, the test runs
// under xvfb-run) and, where the X server's own screen saver is what starts it, on Xorg with
// the dummy driver as well:
//   xautolock    starts the saver after a minute without input; a key ends it with status 0;
//   xss-lock     starts it when the X server's screen saver comes on (xset s 2), with the
//                logind calls it needs answered by LogindStandIn; a key ends it with status 0;
//   xsecurelock  runs it through saver_multiplex into its own window (-root); the locker ends
//                it when it ends, and logs nothing about windows of the saver's own.
// Each shows the photo on the screen (x 124..900, y 101..573 at this size) while it runs, and
// leaves no process behind. None of them refuses root.
class TestSaverWithLockers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void showsThePhotoAndEndsAsTheLockerExpects_data();
    void showsThePhotoAndEndsAsTheLockerExpects();

private:
    QProcessEnvironment environment(const QString &display) const;
    bool waitForPhoto(const QString &display, int timeoutMs, QString *problem);
    QList<pid_t> processesOfThisRun() const;
    pid_t saverOfThisRun() const;
    bool waitForNoProcessOfThisRun(int timeoutMs) const;

    const QColor m_photoColour = QColor(0, 160, 64);
    const QRect m_photoArea = QRect(QPoint(140, 120), QPoint(880, 550));
    SaverProgramFixture m_saver;
    QString m_run; // marks the environment of every process a row starts
    QProcess m_locker;
};

namespace {

QImage screenshot(const QString &display)
{
    QProcess xwd;
    xwd.start(QStringLiteral("xwd"),
              {QStringLiteral("-root"), QStringLiteral("-silent"), QStringLiteral("-display"), display});
    if (!xwd.waitForFinished(10000) || xwd.exitCode() != 0)
        return {};
    return XwdImage::decode(xwd.readAllStandardOutput());
}

bool runX11Client(const QString &display, const QString &program, const QStringList &arguments)
{
    QProcess client;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    client.setProcessEnvironment(environment);
    client.start(program, arguments);
    return client.waitForFinished(10000) && client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
}

} // namespace

void TestSaverWithLockers::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server (the test runs under xvfb-run)");
    for (const char *tool : {"xautolock", "xss-lock", "xsecurelock", "dbus-daemon", "xset", "xwd"})
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is not installed (tools/install-deps.sh)").arg(QLatin1String(tool))));
    m_saver.setUp();
    QVERIFY(TestFiles::WriteFile(m_saver.photoDir() + QStringLiteral("LK001.png"),
                                 TestPictures::Solid(m_photoColour, "png", QSize(800, 600))));
    StoreSaverSettings(QStringLiteral("1"), m_saver.photoDir());
}

void TestSaverWithLockers::cleanup()
{
    if (m_locker.state() != QProcess::NotRunning) {
        m_locker.kill();
        m_locker.waitForFinished(5000);
    }
    for (const pid_t pid : processesOfThisRun())
        ::kill(pid, SIGKILL);
}

QProcessEnvironment TestSaverWithLockers::environment(const QString &display) const
{
    QProcessEnvironment environment = m_saver.environment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("DRAVIK_LOCKER_TEST_RUN"), m_run);
    environment.insert(QStringLiteral("XSECURELOCK_SAVER"), QStringLiteral(DRAVIK_BINARY));
    return environment;
}

bool TestSaverWithLockers::waitForPhoto(const QString &display, int timeoutMs, QString *problem)
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        *problem = ScreenColours::AreaColourProblem(screenshot(display), m_photoArea, m_photoColour,
                                                    QStringLiteral("the photo"), 40);
        if (problem->isEmpty())
            return true;
        QTest::qWait(250);
    } while (!deadline.hasExpired());
    return false;
}

QList<pid_t> TestSaverWithLockers::processesOfThisRun() const
{
    QList<pid_t> pids;
    const QByteArray mark = "DRAVIK_LOCKER_TEST_RUN=" + m_run.toLatin1();
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        if (isPid && pid != ::getpid()
            && TestFiles::ReadFile(QStringLiteral("/proc/%1/environ").arg(pid)).split('\0').contains(mark))
            pids << pid;
    }
    return pids;
}

pid_t TestSaverWithLockers::saverOfThisRun() const
{
    const QString saver = QFileInfo(QStringLiteral(DRAVIK_BINARY)).canonicalFilePath();
    for (const pid_t pid : processesOfThisRun()) {
        if (QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() == saver)
            return pid;
    }
    return 0;
}

bool TestSaverWithLockers::waitForNoProcessOfThisRun(int timeoutMs) const
{
    return QTest::qWaitFor([this] { return processesOfThisRun().isEmpty(); }, timeoutMs);
}

void TestSaverWithLockers::showsThePhotoAndEndsAsTheLockerExpects_data()
{
    QTest::addColumn<bool>("onXorg");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("startsWithinMs");
    QTest::addColumn<bool>("endedByKey"); // else by the locker's own end (SIGTERM)

    // The saver's status, where a key ends it, as the shell that runs it sees it; with what the
    // saver says, in the file $DRAVIK_SAVER_LOG, as xautolock gives its locker no standard error.
    const QString reporting = QStringLiteral("exec 2>>\"$DRAVIK_SAVER_LOG\"; '%1'; echo saver status $? >&2")
                                  .arg(QStringLiteral(DRAVIK_BINARY));
    const QStringList xssLock{QStringLiteral("xss-lock"), QStringLiteral("--"), QStringLiteral("sh"),
                              QStringLiteral("-c"), reporting};
    QTest::newRow("xautolock") << false
                               << QStringList{QStringLiteral("xautolock"), QStringLiteral("-time"), QStringLiteral("1"),
                                              QStringLiteral("-locker"), reporting}
                               << 120000 << true;
    QTest::newRow("xss-lock on Xvfb") << false << xssLock << 30000 << true;
    QTest::newRow("xss-lock on Xorg") << true << xssLock << 30000 << true;
    QTest::newRow("xsecurelock") << false << QStringList{QStringLiteral("xsecurelock")} << 30000 << false;
}

void TestSaverWithLockers::showsThePhotoAndEndsAsTheLockerExpects()
{
    QFETCH(bool, onXorg);
    QFETCH(QStringList, command);
    QFETCH(int, startsWithinMs);
    QFETCH(bool, endedByKey);
    m_run = QUuid::createUuid().toString(QUuid::WithoutBraces);

    MultiMonitorX xorg;
    QString display = qEnvironmentVariable("DISPLAY");
    if (onXorg) {
        if (!xorg.start()) {
            const QString reason = QStringLiteral("Xorg with the dummy driver: ") + xorg.errorString();
            // CI runs as root and must run this row; elsewhere Xorg may need root.
            if (qEnvironmentVariable("CI") != QLatin1String("true") && ::geteuid() != 0)
                QSKIP(qPrintable(reason + QStringLiteral("\n(starting Xorg needs root)")));
            QFAIL(qPrintable(reason));
        }
        QVERIFY2(xorg.addOutput(QStringLiteral("DUMMY0"), 1024, 768), qPrintable(xorg.errorString()));
        display = xorg.display();
    }
    const QByteArray testDisplay = qgetenv("DISPLAY");
    const auto restoreDisplay = qScopeGuard([&] { qputenv("DISPLAY", testDisplay); });
    qputenv("DISPLAY", display.toLocal8Bit()); // for xdotool

    // The X server's screen saver comes on after 2 s for xss-lock, and never for the others.
    const bool xssLock = command.constFirst() == QLatin1String("xss-lock");
    QVERIFY(runX11Client(display, QStringLiteral("xset"),
                         xssLock ? QStringList{QStringLiteral("s"), QStringLiteral("2"), QStringLiteral("0")}
                                 : QStringList{QStringLiteral("s"), QStringLiteral("off")}));
    LogindStandIn logind;
    QProcessEnvironment environment = this->environment(display);
    QTemporaryDir logDir;
    const QString saverLog = logDir.filePath(QStringLiteral("saver.log"));
    environment.insert(QStringLiteral("DRAVIK_SAVER_LOG"), saverLog);
    if (xssLock) {
        QVERIFY2(logind.start(), qPrintable(logind.errorString()));
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), logind.address());
    }

    m_locker.setProcessEnvironment(environment);
    m_locker.start(command.constFirst(), command.mid(1));
    QVERIFY2(m_locker.waitForStarted(10000), qPrintable(m_locker.errorString()));
    // Everything the locker and the saver said: the message of a check reads it too.
    QString log;
    const auto lockerLog = [&] {
        log += QString::fromLocal8Bit(m_locker.readAllStandardError());
        return log + QString::fromLocal8Bit(TestFiles::ReadFile(saverLog));
    };
    QString problem;
    const bool shown = waitForPhoto(display, startsWithinMs, &problem);
    QVERIFY2(shown, qPrintable(problem + QLatin1Char('\n') + lockerLog()));

    if (endedByKey) {
        const pid_t saver = saverOfThisRun();
        QVERIFY(saver != 0);
        const QStringList windows = XDoTool::windowsOfProcess(saver);
        QVERIFY(!windows.isEmpty());
        QVERIFY(XDoTool::keyInWindow(windows.constFirst(), QStringLiteral("space")));
        QVERIFY2(QTest::qWaitFor([&] { return lockerLog().contains(QLatin1String("saver status")); }, 10000),
                 qPrintable(lockerLog()));
        QVERIFY2(lockerLog().contains(QLatin1String("saver status 0")), qPrintable(lockerLog()));
        // The locker lives on, to start the saver again, until its session ends.
        QCOMPARE(m_locker.state(), QProcess::Running);
    }
    m_locker.terminate();
    QVERIFY(m_locker.waitForFinished(10000));
    lockerLog();
    QVERIFY2(waitForNoProcessOfThisRun(10000),
             qPrintable(QStringLiteral("left running: %1").arg(processesOfThisRun().size())));
    QVERIFY2(!log.contains(QLatin1String("unexpected ClientMessage")), qPrintable(log));
    if (xssLock)
        QVERIFY2(logind.calls().contains(QLatin1String("SetLockedHint(true)")), qPrintable(logind.calls().join(u' ')));
}

QTEST_MAIN(TestSaverWithLockers)
#include "tst_saver_with_lockers.moc"
