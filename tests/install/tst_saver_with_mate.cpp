#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "XwdImage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>

// The installed package as a screen saver of MATE's daemon (mate-screensaver), on a real X
// server (Xvfb, 1024 × 768): installed with --prefix /usr into a scratch DESTDIR, its entry
// shown to the daemon through XDG_DATA_DIRS and its saver link at /usr/libexec/xscreensaver
// inside a mount namespace of the daemon's own (see mate-session.sh). The daemon hands the
// saver its window in XSCREENSAVER_WINDOW and a cut-down environment: no XDG_CONFIG_HOME, no
// XDG_RUNTIME_DIR. At this size the photo fills x 124..900, y 101..573.
class TestSaverWithMate : public QObject
{
    Q_OBJECT

public:
    ~TestSaverWithMate() override;

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void activationShowsThePhotoAndDeactivationEndsTheSaver();

private:
    bool install();
    bool prepareHome();
    bool startSession();
    void stopSession();

    // Runs mate-screensaver-command on the daemon's bus; its exit code, or -1.
    int command(const QString &option, QString *output = nullptr) const;
    QString daemonLog() const;
    // The whole log on standard error, for a failure's reader: too long for a check's message.
    void showDaemonLog() const;
    // The processes running the installed program, whatever name started them.
    QList<pid_t> runningSavers() const;
    // How much of the photo's place on the screen shows the photo's colour, from 0 to 1.
    double shareOfPhotoArea() const;

    // The photo area less a few pixels at the edges, where scaling may blend.
    const QRect m_photoArea = QRect(QPoint(128, 105), QPoint(896, 569));

    QTemporaryDir m_base;
    QString m_destdir;
    QString m_program;
    QString m_home;
    QString m_photoDir;
    QString m_logPath;
    QString m_busAddress;
    QProcess m_session;
};

namespace {

bool inCi()
{
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

QByteArray processFile(pid_t pid, const char *name)
{
    return TestFiles::ReadFile(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
}

// The value of one variable in a process's environment; null when it has none.
QByteArray environmentOf(pid_t pid, const QByteArray &name)
{
    for (const QByteArray &entry : processFile(pid, "environ").split('\0')) {
        if (entry.startsWith(name + '='))
            return entry.mid(name.size() + 1);
    }
    return {};
}

} // namespace

TestSaverWithMate::~TestSaverWithMate()
{
    // Also when the test ends early: no daemon or saver outlives it.
    stopSession();
}

void TestSaverWithMate::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server (the test runs under xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("mate-screensaver")).isEmpty()) {
        // tools/install-deps.sh installs it: in CI its absence is a broken set-up.
        const char *why = "mate-screensaver is not installed (tools/install-deps.sh)";
        if (inCi())
            QFAIL(why);
        QSKIP(why);
    }
    for (const char *tool : {"mate-screensaver-command", "dbus-run-session", "gsettings", "unshare", "xwd"}) {
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is not installed (tools/install-deps.sh)").arg(QLatin1String(tool))));
    }
    QVERIFY2(::geteuid() == 0, "needs root, for the mount namespace that shows the saver link to the daemon");
    QVERIFY2(QFileInfo(QStringLiteral("/usr/libexec/xscreensaver")).isDir(),
             "/usr/libexec/xscreensaver, where the link is shown, is missing (xscreensaver-data makes it)");
    QVERIFY(m_base.isValid());
    QVERIFY(install());
    QVERIFY(prepareHome());
    QVERIFY(startSession());
}

bool TestSaverWithMate::install()
{
    m_destdir = m_base.filePath(QStringLiteral("root"));
    QProcess cmake;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), m_destdir);
    cmake.setProcessEnvironment(environment);
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral(DRAVIK_CMAKE),
                {QStringLiteral("--install"), QStringLiteral(DRAVIK_BUILD_DIR), QStringLiteral("--prefix"),
                 QStringLiteral("/usr")});
    if (!cmake.waitForFinished(120000) || cmake.exitStatus() != QProcess::NormalExit || cmake.exitCode() != 0) {
        qWarning("cmake --install failed:\n%s", cmake.readAll().constData());
        return false;
    }
    m_program = m_destdir + QStringLiteral("/usr/bin/Dravik2001.scr");
    return QFileInfo(m_program).isExecutable();
}

bool TestSaverWithMate::prepareHome()
{
    m_home = m_base.filePath(QStringLiteral("home"));
    m_photoDir = m_home + QStringLiteral("/draviks/");
    m_logPath = m_base.filePath(QStringLiteral("daemon.log"));
    const QString configHome = m_home + QStringLiteral("/.config");
    for (const QString &dir :
         {configHome + QStringLiteral("/QtProject"), m_photoDir, m_base.filePath(QStringLiteral("savers"))}) {
        if (!QDir().mkpath(dir))
            return false;
    }
    if (!TestFiles::WriteFile(m_photoDir + QStringLiteral("57A01.jpg"), TestPictures::Solid(Qt::red, "jpg")))
        return false;
    // Where the saver looks without XDG_CONFIG_HOME: ~/.config.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    StoreSaverSettings(QStringLiteral("1"), m_photoDir);
    // Qt's own rules file, the one way into a saver whose environment the daemon sets: the
    // saver then says where it looks for photos, in the daemon's log.
    return TestFiles::WriteFile(configHome + QStringLiteral("/QtProject/qtlogging.ini"),
                                QByteArrayLiteral("[Rules]\ndravik.lifecycle.debug=true\n"));
}

bool TestSaverWithMate::startSession()
{
    QProcessEnvironment environment;
    for (const char *name : {"DISPLAY", "XAUTHORITY"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            environment.insert(QLatin1String(name), qEnvironmentVariable(name));
    }
    environment.insert(QStringLiteral("HOME"), m_home);
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    // With another desktop's name the daemon crashes on activation.
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("MATE"));
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), m_destdir + QStringLiteral("/usr/share:/usr/share"));
    // No accessibility bus: it would only add processes to the session.
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    m_session.setProcessEnvironment(environment);
    m_session.setWorkingDirectory(m_home);
    m_session.setProcessChannelMode(QProcess::MergedChannels);
    m_session.setStandardOutputFile(m_logPath);
    // A process group of its own, so that whatever the session started can be ended with it.
    m_session.setChildProcessModifier([] { ::setsid(); });
    const QString addressFile = m_base.filePath(QStringLiteral("bus-address"));
    m_session.start(QStringLiteral(DRAVIK_SOURCE_DIR "/tests/install/mate-session.sh"),
                    {m_destdir, m_base.filePath(QStringLiteral("savers")), addressFile});
    if (!m_session.waitForStarted(10000))
        return false;

    QDeadlineTimer deadline(30000);
    while (m_busAddress.isEmpty() || command(QStringLiteral("--query")) != 0) {
        if (m_busAddress.isEmpty()) {
            QFile address(addressFile);
            if (address.open(QIODevice::ReadOnly))
                m_busAddress = QString::fromLocal8Bit(address.readAll().trimmed());
        }
        if (deadline.hasExpired() || m_session.state() == QProcess::NotRunning) {
            qWarning("the daemon did not come up on its session bus");
            showDaemonLog();
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

void TestSaverWithMate::stopSession()
{
    if (m_session.state() == QProcess::NotRunning)
        return;
    if (!m_busAddress.isEmpty())
        command(QStringLiteral("--exit"));
    if (!m_session.waitForFinished(10000)) {
        ::kill(-pid_t(m_session.processId()), SIGKILL);
        m_session.waitForFinished(5000);
    }
    for (const pid_t saver : runningSavers())
        ::kill(saver, SIGKILL);
}

void TestSaverWithMate::cleanup()
{
    if (QTest::currentTestFailed())
        showDaemonLog();
}

void TestSaverWithMate::cleanupTestCase()
{
    stopSession();
    QVERIFY2(runningSavers().isEmpty(), "a saver outlived the daemon");
}

int TestSaverWithMate::command(const QString &option, QString *output) const
{
    QProcess process;
    QProcessEnvironment environment = m_session.processEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("mate-screensaver-command"), {option});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitCode();
}

QString TestSaverWithMate::daemonLog() const
{
    return QString::fromLocal8Bit(TestFiles::ReadFile(m_logPath));
}

void TestSaverWithMate::showDaemonLog() const
{
    std::fprintf(stderr, "--- the daemon's log (%s) ---\n%s--- end of the daemon's log ---\n", qPrintable(m_logPath),
                 qPrintable(daemonLog()));
}

QList<pid_t> TestSaverWithMate::runningSavers() const
{
    QList<pid_t> pids;
    if (m_program.isEmpty())
        return pids;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        // A zombie has no executable any more: it has ended.
        if (isPid && QFileInfo(proc.filePath(entry + QStringLiteral("/exe"))).symLinkTarget() == m_program)
            pids.append(pid);
    }
    return pids;
}

double TestSaverWithMate::shareOfPhotoArea() const
{
    QProcess xwd;
    xwd.start(QStringLiteral("xwd"), {QStringLiteral("-root"), QStringLiteral("-silent")});
    if (!xwd.waitForFinished(30000) || xwd.exitCode() != 0)
        return -1;
    const QImage screen = XwdImage::decode(xwd.readAllStandardOutput());
    if (screen.isNull())
        return -1;
    qsizetype inColour = 0;
    for (int y = m_photoArea.top(); y <= m_photoArea.bottom(); ++y) {
        for (int x = m_photoArea.left(); x <= m_photoArea.right(); ++x)
            inColour += ScreenColours::IsColour(screen.pixel(x, y), Qt::red) ? 1 : 0;
    }
    return double(inColour) / double(m_photoArea.width() * m_photoArea.height());
}

void TestSaverWithMate::activationShowsThePhotoAndDeactivationEndsTheSaver()
{
    QVERIFY2(runningSavers().isEmpty(), "a saver runs before the daemon was activated");
    const double before = shareOfPhotoArea();
    QVERIFY2(before >= 0, "xwd could not capture the screen");
    QVERIFY(before < 0.01);
    QString output;
    QVERIFY2(command(QStringLiteral("--activate"), &output) == 0, qPrintable(output));

    // The daemon runs the installed program by its saver link, in the daemon's window.
    QList<pid_t> savers;
    QTRY_VERIFY2_WITH_TIMEOUT(!(savers = runningSavers()).isEmpty(), "the daemon started no saver", 30000);
    QCOMPARE(savers.size(), 1);
    const pid_t saver = savers.constFirst();
    QCOMPARE(processFile(saver, "cmdline"), QByteArrayLiteral("/usr/libexec/xscreensaver/dravik2001\0--root\0"));
    const QByteArray window = environmentOf(saver, "XSCREENSAVER_WINDOW");
    QVERIFY2(!window.isEmpty(), "the saver was not given the daemon's window");
    QVERIFY2(environmentOf(saver, "XDG_CONFIG_HOME").isNull() && environmentOf(saver, "XDG_RUNTIME_DIR").isNull(),
             "the daemon no longer cuts the environment down: this test no longer shows the saver copes");

    // It found its settings in the home's ~/.config, and shows the photo of the folder named there.
    QTRY_VERIFY2_WITH_TIMEOUT(daemonLog().contains(QStringLiteral("listing \"%1*.*\"").arg(m_photoDir)),
                              "the saver did not look in the photo folder its settings name", 30000);
    QTRY_VERIFY2_WITH_TIMEOUT(shareOfPhotoArea() > 0.98, "the photo is not on the screen", 30000);

    const qsizetype logOffset = daemonLog().size();
    QVERIFY2(command(QStringLiteral("--deactivate"), &output) == 0, qPrintable(output));
    // The daemon ends its saver with SIGTERM alone: a saver that did not end on it would stay.
    QTRY_VERIFY2_WITH_TIMEOUT(runningSavers().isEmpty(), "the saver still runs after deactivation", 30000);
    QVERIFY(daemonLog().mid(logOffset).contains(QStringLiteral("stopping job")));
    const auto photoGone = [this] {
        const double share = shareOfPhotoArea();
        return share >= 0 && share < 0.01;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(photoGone(), "the photo stays on the screen after deactivation", 10000);
}

QTEST_GUILESS_MAIN(TestSaverWithMate)
#include "tst_saver_with_mate.moc"
