#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "UnprivilegedUser.h"
#include "XDoTool.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// The real program as the display mode of Debian's X screen-saver daemon, on a real X server
// (Xvfb, 1024 × 768): the daemon starts it into its own window on activation and ends it on
// deactivation. The daemon refuses to run display modes as root, so it runs as the
// unprivileged "nobody", with a throwaway home this test owns. At this size the photo fills
// x 124..900, y 101..573.
class TestSaverWithDaemon : public QObject
{
    Q_OBJECT

public:
    ~TestSaverWithDaemon() override;

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void activationShowsThePhotoInsideTheDaemonsWindow();
    void eachActivationStartsAFreshSaver();

private:
    struct Activation
    {
        pid_t pid = 0;
        QString window; // the daemon's window the saver was started into, as a decimal id
    };

    // The tools and the user; false, and what is missing, when one is not there.
    bool prerequisitesMet(QString *missing);
    bool prepareHome();
    bool startDaemon();
    void stopEverything();

    // Runs the command as the user, with the user's environment; its exit code, or -1.
    int runAsUser(const QStringList &command, QString *output = nullptr) const;
    bool control(const QString &command) const;
    QString daemonLog() const;
    // The whole log on standard error, for a failure's reader: too long for a check's message.
    void showDaemonLog() const;

    // Activates the daemon and waits until the saver it starts shows the photo.
    void activate(Activation *activation);
    // Deactivates the daemon and waits until that saver has ended well.
    void deactivate(const Activation &activation);
    // The saver the daemon says it started, in its log after logOffset; pid 0 when none yet.
    Activation startedSaver(qsizetype logOffset) const;
    QList<pid_t> runningSavers() const;

    static QString rootWindow();

    // The photo area less a few pixels at the edges, where scaling may blend.
    const QRect m_photoArea = QRect(QPoint(128, 105), QPoint(896, 569));

    const UnprivilegedUser m_user;
    QTemporaryDir m_base;
    QString m_home;
    QString m_binary;
    QString m_logPath;
    QProcessEnvironment m_userEnvironment;
    QProcess m_daemon;
    QList<pid_t> m_savers;
    bool m_failed = false;
};

namespace {

constexpr auto kUserName = "nobody";

bool inCi()
{
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

// What the kernel says of each process, for a failure report: its parent, state and threads.
QString describeProcesses(const QList<pid_t> &pids)
{
    QStringList lines;
    for (const pid_t pid : pids) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        QStringList facts{QStringLiteral("pid %1:").arg(pid)};
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("State:") || line.startsWith("PPid:") || line.startsWith("Threads:"))
                    facts << QString::fromLatin1(line.simplified());
            }
        }
        lines << facts.join(QLatin1Char(' '));
    }
    return lines.join(QLatin1Char('\n'));
}

bool processExists(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Waits until the process is gone. This process is a subreaper, so the saver comes to it once
// the daemon's helper that started it has exited: its wait status is then set. Left unset
// when someone else reaped it.
bool waitForEnd(pid_t pid, int timeoutMs, std::optional<int> *status)
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        int waitStatus = 0;
        const pid_t reaped = ::waitpid(pid, &waitStatus, WNOHANG);
        if (reaped == pid) {
            *status = waitStatus;
            return true;
        }
        if (reaped == -1 && errno == ECHILD && !processExists(pid))
            return true;
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace

TestSaverWithDaemon::~TestSaverWithDaemon()
{
    // Also when the test ends early: no daemon or saver outlives it.
    stopEverything();
}

bool TestSaverWithDaemon::prerequisitesMet(QString *missing)
{
    const QStringList tools = {QStringLiteral("xscreensaver"), QStringLiteral("xscreensaver-command"),
                               QStringLiteral("setpriv"),      QStringLiteral("pgrep"),
                               QStringLiteral("xdotool"),      QStringLiteral("xwininfo")};
    for (const QString &tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            *missing = QStringLiteral("%1 is not installed (tools/install-deps.sh)").arg(tool);
            return false;
        }
    }
    if (!m_user.isKnown()) {
        *missing = QStringLiteral("no user nobody or group nogroup");
        return false;
    }
    return true;
}

void TestSaverWithDaemon::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server (the test runs under xvfb-run)");
    if (::geteuid() != 0) {
        // CI runs as root: there a missing root is a broken set-up, not a reason to skip.
        const char *why = "needs root, to run the daemon as the unprivileged user \"nobody\"";
        if (inCi())
            QFAIL(why);
        QSKIP(why);
    }
    // tools/install-deps.sh installs every tool, so a missing one fails everywhere.
    QString missing;
    QVERIFY2(prerequisitesMet(&missing), qPrintable(missing));
    // The daemon's helper exits as soon as it has signalled the saver; the orphaned saver then
    // comes to this process, which can so see how it ended.
    QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1UL, 0UL, 0UL, 0UL), 0);
    QVERIFY(prepareHome());
    QVERIFY(startDaemon());
}

bool TestSaverWithDaemon::prepareHome()
{
    if (!m_base.isValid())
        return false;
    // Only the user's home inside is open to it; the base just lets it pass.
    QFile::setPermissions(m_base.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    m_home = m_base.filePath(QStringLiteral("home"));
    m_logPath = m_base.filePath(QStringLiteral("daemon.log"));
    const QString configHome = m_home + QStringLiteral("/.config");
    const QString runtimeDir = m_home + QStringLiteral("/runtime");
    const QString photoDir = m_home + QStringLiteral("/draviks/");
    for (const QString &dir : {configHome, runtimeDir, photoDir, m_home + QStringLiteral("/bin")}) {
        if (!QDir().mkpath(dir))
            return false;
    }

    // A copy the user can surely read, wherever the build tree is, under a path no other
    // test's saver has, so that looking for the process finds only this one.
    m_binary = m_home + QStringLiteral("/bin/Dravik2001.scr");
    if (!QFile::copy(QStringLiteral(DRAVIK_BINARY), m_binary))
        return false;
    QFile::setPermissions(m_binary, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    if (!TestFiles::WriteFile(photoDir + QStringLiteral("57A01.jpg"), TestPictures::Solid(Qt::red, "jpg")))
        return false;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    StoreSaverSettings(QStringLiteral("1"), photoDir);
    if (!QFile::exists(configHome + QStringLiteral("/SCRNSAVE: The Dravik Quintavel 2001.ini")))
        return false;

    m_userEnvironment.insert(QStringLiteral("HOME"), m_home);
    m_userEnvironment.insert(QStringLiteral("USER"), QLatin1String(kUserName));
    m_userEnvironment.insert(QStringLiteral("LOGNAME"), QLatin1String(kUserName));
    m_userEnvironment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
    m_userEnvironment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    m_userEnvironment.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("DISPLAY"));
    m_userEnvironment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    m_userEnvironment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    // xvfb-run's cookie file is root's alone: the user gets a copy of its own.
    if (const QString authority = qEnvironmentVariable("XAUTHORITY"); !authority.isEmpty()) {
        const QString copy = m_home + QStringLiteral("/.Xauthority");
        if (!QFile::copy(authority, copy))
            return false;
        m_userEnvironment.insert(QStringLiteral("XAUTHORITY"), copy);
    }
    if (!CarrySanitizerOptions(m_userEnvironment, m_home))
        return false;

    // The daemon's own preferences: only our mode, started at once, no locking or fading to
    // wait through, and no idle activation of its own while the test runs.
    QFile preferences(m_home + QStringLiteral("/.xscreensaver"));
    if (!preferences.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    preferences.write(QStringLiteral("mode:\t\tone\n"
                                     "selected:\t0\n"
                                     "lock:\t\tFalse\n"
                                     "fade:\t\tFalse\n"
                                     "unfade:\t\tFalse\n"
                                     "splash:\t\tFalse\n"
                                     "dpmsEnabled:\tFalse\n"
                                     "timeout:\t0:30:00\n"
                                     "cycle:\t\t0\n"
                                     "programs:\t\"Dravik 2001\" %1 --root \\n\\\n"
                                     "\n")
                          .arg(m_binary)
                          .toUtf8());
    preferences.close();

    if (!m_user.handOver(m_home))
        return false;
    QFile::setPermissions(m_home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // Whatever the temporary directory is, the user must reach its home through it.
    const int reachable = runAsUser({QStringLiteral("test"), QStringLiteral("-x"), m_binary, QStringLiteral("-a"),
                                     QStringLiteral("-w"), runtimeDir});
    if (reachable != 0)
        qWarning("%s cannot reach %s (a directory above it is closed to others?)", kUserName, qPrintable(m_home));
    return reachable == 0;
}

bool TestSaverWithDaemon::startDaemon()
{
    m_daemon.setProcessEnvironment(m_userEnvironment);
    m_daemon.setWorkingDirectory(m_home);
    m_daemon.setProcessChannelMode(QProcess::MergedChannels);
    m_daemon.setStandardOutputFile(m_logPath);
    const QStringList command =
        m_user.command({QStringLiteral("xscreensaver"), QStringLiteral("-no-splash"), QStringLiteral("-verbose")});
    m_daemon.start(command.constFirst(), command.mid(1));
    if (!m_daemon.waitForStarted(10000))
        return false;

    QString version;
    QDeadlineTimer deadline(20000);
    while (runAsUser({QStringLiteral("xscreensaver-command"), QStringLiteral("-version")}, &version) != 0) {
        if (deadline.hasExpired() || m_daemon.state() == QProcess::NotRunning) {
            qWarning("the daemon did not come up");
            showDaemonLog();
            return false;
        }
        QThread::msleep(200);
    }
    qInfo("%s", qPrintable(version.trimmed()));
    return true;
}

int TestSaverWithDaemon::runAsUser(const QStringList &command, QString *output) const
{
    QByteArray said;
    const int code = m_user.run(command, m_userEnvironment, QStringLiteral("/"), QProcess::MergedChannels, &said);
    if (output)
        *output = QString::fromLocal8Bit(said);
    return code;
}

bool TestSaverWithDaemon::control(const QString &command) const
{
    QString output;
    const int code = runAsUser({QStringLiteral("xscreensaver-command"), command}, &output);
    if (code != 0)
        qWarning("xscreensaver-command %s failed: %s", qPrintable(command), qPrintable(output));
    return code == 0;
}

QString TestSaverWithDaemon::daemonLog() const
{
    return QString::fromLocal8Bit(TestFiles::ReadFile(m_logPath));
}

void TestSaverWithDaemon::showDaemonLog() const
{
    std::fprintf(stderr, "--- the daemon's log (%s) ---\n%s--- end of the daemon's log ---\n", qPrintable(m_logPath),
                 qPrintable(daemonLog()));
}

TestSaverWithDaemon::Activation TestSaverWithDaemon::startedSaver(qsizetype logOffset) const
{
    const QRegularExpression forked(QStringLiteral("forked \"%1 --root\" in pid (\\d+) on window (0x[0-9a-f]+)")
                                        .arg(QRegularExpression::escape(m_binary)));
    const QRegularExpressionMatch match = forked.match(daemonLog(), logOffset);
    if (!match.hasMatch())
        return {};
    return {pid_t(match.captured(1).toInt()), QString::number(match.captured(2).toULongLong(nullptr, 16))};
}

QList<pid_t> TestSaverWithDaemon::runningSavers() const
{
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"),
                {QStringLiteral("-u"), QString::number(m_user.uid()), QStringLiteral("-x"), QStringLiteral("-f"),
                 m_binary + QStringLiteral(" --root")});
    pgrep.waitForFinished(10000);
    QList<pid_t> pids;
    const QString found = QString::fromLocal8Bit(pgrep.readAllStandardOutput()).trimmed();
    for (const QString &pid : found.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        pids.append(pid_t(pid.toInt()));
    return pids;
}

QString TestSaverWithDaemon::rootWindow()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
    xwininfo.waitForFinished(5000);
    const QRegularExpressionMatch root = QRegularExpression(QStringLiteral("Window id: (0x[0-9a-f]+)"))
                                             .match(QString::fromLocal8Bit(xwininfo.readAllStandardOutput()));
    return root.hasMatch() ? QString::number(root.captured(1).toULongLong(nullptr, 16)) : QString();
}

void TestSaverWithDaemon::activate(Activation *activation)
{
    QVERIFY2(runningSavers().isEmpty(), "a saver runs before the daemon was activated");
    QVERIFY(ScreenColours::ShareOfScreenInColour(m_photoArea, Qt::red) < 0.01);
    const qsizetype logOffset = daemonLog().size();
    QVERIFY(control(QStringLiteral("-activate")));

    // The one process of our saver, as the user, the one the daemon says it started.
    QList<pid_t> savers;
    QTRY_VERIFY2_WITH_TIMEOUT(!(savers = runningSavers()).isEmpty(), "the daemon started no saver", 20000);
    QVERIFY2(savers.size() == 1, qPrintable(QStringLiteral("not one saver:\n") + describeProcesses(savers)));
    m_savers.append(savers.constFirst());
    QTRY_VERIFY_WITH_TIMEOUT(startedSaver(logOffset).pid != 0, 10000);
    *activation = startedSaver(logOffset);
    QCOMPARE(activation->pid, savers.constFirst());

    // The photo fills its place on the screen, and only its place.
    QTRY_VERIFY2_WITH_TIMEOUT(ScreenColours::ShareOfScreenInColour(m_photoArea, Qt::red) > 0.98,
                              "the photo is not on the screen", 20000);
    QVERIFY(ScreenColours::ShareOfScreenInColour(QRect(0, 0, 100, 80), Qt::red) < 0.01);

    // Every window it shows lies in the daemon's window: none is a top-level window. The
    // daemon labels its own window with the pid of the saver it runs there; that one is not
    // the saver's.
    const QString root = rootWindow();
    QVERIFY(!root.isEmpty());
    QVERIFY(activation->window != root);
    QVERIFY(!activation->window.isEmpty());
    const QString windows = XDoTool::run({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--pid"), QString::number(activation->pid)});
    QStringList own = windows.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    own.removeAll(activation->window);
    QVERIFY2(!own.isEmpty(), qPrintable(QStringLiteral("no window of the saver; with its pid: ") + windows));
    for (const QString &window : std::as_const(own)) {
        const QString parent = XDoTool::parentOf(window);
        QVERIFY2(parent != root, qPrintable(QStringLiteral("window %1 is a top-level window").arg(window)));
        QCOMPARE(parent, activation->window);
    }
    QVERIFY(processExists(activation->pid));
}

void TestSaverWithDaemon::deactivate(const Activation &activation)
{
    const qsizetype logOffset = daemonLog().size();
    QVERIFY(control(QStringLiteral("-deactivate")));

    std::optional<int> status;
    QVERIFY2(waitForEnd(activation.pid, 15000, &status), "the saver still runs after deactivation");
    m_savers.removeOne(activation.pid);
    QVERIFY(runningSavers().isEmpty());
    // Ended by the daemon, with SIGTERM, on the deactivation.
    QVERIFY(daemonLog().mid(logOffset).contains(QStringLiteral("killing pid %1 (").arg(activation.pid)));
    // The daemon reports a display mode that dies on its own; ours ended only when told.
    const QRegularExpression crashed(
        QStringLiteral("pid %1 .*(abnormally|unexpectedly terminated|crashed|stopped)").arg(activation.pid));
    const QRegularExpressionMatch report = crashed.match(daemonLog());
    QVERIFY2(!report.hasMatch(), qPrintable(report.captured(0)));
    // The daemon's helper signals the saver, polls for it once and exits; only a saver that
    // ended within that moment is the helper's to reap, and then the daemon's log (checked
    // above) is all there is to tell how it ended.
    if (status) {
        QVERIFY2(WIFEXITED(*status), qPrintable(QStringLiteral("the saver ended by signal %1").arg(WTERMSIG(*status))));
        QCOMPARE(WEXITSTATUS(*status), 0);
    } else {
        qInfo("the daemon's helper reaped the saver: only its log tells how it ended");
    }

    // The screen is the desktop's again.
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::ShareOfScreenInColour(m_photoArea, Qt::red) < 0.01, 10000);
}

void TestSaverWithDaemon::activationShowsThePhotoInsideTheDaemonsWindow()
{
    Activation activation;
    activate(&activation);
    if (QTest::currentTestFailed())
        return;
    deactivate(activation);
}

void TestSaverWithDaemon::eachActivationStartsAFreshSaver()
{
    Activation first;
    activate(&first);
    if (QTest::currentTestFailed())
        return;
    deactivate(first);
    if (QTest::currentTestFailed())
        return;

    Activation second;
    activate(&second);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(second.pid != first.pid);
    deactivate(second);
}

void TestSaverWithDaemon::cleanup()
{
    m_failed = m_failed || QTest::currentTestFailed();
    // A failed check may leave the screen saved: back to the idle state for the next test.
    if (!m_savers.isEmpty()) {
        control(QStringLiteral("-deactivate"));
        for (const pid_t pid : std::as_const(m_savers)) {
            std::optional<int> status;
            if (!waitForEnd(pid, 10000, &status)) {
                ::kill(pid, SIGKILL);
                waitForEnd(pid, 5000, &status);
            }
        }
        m_savers.clear();
    }
}

void TestSaverWithDaemon::cleanupTestCase()
{
    stopEverything();
    if (m_failed)
        showDaemonLog();
}

void TestSaverWithDaemon::stopEverything()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        runAsUser({QStringLiteral("xscreensaver-command"), QStringLiteral("-exit")});
        if (!m_daemon.waitForFinished(10000)) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(10000)) {
                m_daemon.kill();
                m_daemon.waitForFinished(5000);
            }
        }
    }
    // Savers the daemon no longer knows of, if any, by their pids.
    if (!m_binary.isEmpty()) {
        for (const pid_t pid : runningSavers()) {
            std::optional<int> status;
            ::kill(pid, SIGKILL);
            waitForEnd(pid, 5000, &status);
        }
    }
    m_savers.clear();
    // m_base, the home with it, goes when the test object does; root may remove the user's files.
}

QTEST_MAIN(TestSaverWithDaemon)
#include "tst_saver_with_daemon.moc"
