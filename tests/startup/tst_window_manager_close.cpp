#include "SaverProgramFixture.h"
#include "XDoTool.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSettings>
#include <QtTest>

// Closing a window from the window manager, as a user does with the frame's close button
// or the desktop does when it stops a saver: the program ends cleanly and saves nothing.
class TestWindowManagerClose : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void closingTheSaverRunsItsCloseHandlers();
    void closingTheSettingsWindowSavesNothing();

private:
    // Empty once openbox runs the display, otherwise why not.
    QString startWindowManager();
    static bool windowManagerAnswers();
    static bool closeWindow(const QString &windowId);

    QProcess m_windowManager;
    IsolatedUserDirs m_dirs;
};

void TestWindowManagerClose::initTestCase()
{
    // The window manager is the stage here, not what is tested: one that fails to take the
    // display is started again, and what it said goes into the log.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        const QString failure = startWindowManager();
        if (failure.isEmpty())
            return;
        qWarning("openbox, attempt %d: %s", attempt, qPrintable(failure.trimmed()));
    }
    QFAIL("openbox did not take the display in three attempts (their output is above)");
}

QString TestWindowManagerClose::startWindowManager()
{
    m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_windowManager.waitForStarted())
        return m_windowManager.errorString();
    // A deadline in time rather than a count of polls: each poll starts a process, which
    // takes long on a loaded machine.
    const QDeadlineTimer deadline(20000);
    while (!windowManagerAnswers()) {
        // Also the pause between polls.
        if (m_windowManager.waitForFinished(100))
            return QStringLiteral("ended with %1:\n%2")
                .arg(m_windowManager.exitCode())
                .arg(QString::fromLocal8Bit(m_windowManager.readAll()));
        if (deadline.hasExpired()) {
            m_windowManager.kill();
            m_windowManager.waitForFinished();
            return QStringLiteral("did not take the display within 20 s:\n")
                + QString::fromLocal8Bit(m_windowManager.readAll());
        }
    }
    return {};
}

void TestWindowManagerClose::cleanupTestCase()
{
    m_windowManager.terminate();
    m_windowManager.waitForFinished(5000);
}

bool TestWindowManagerClose::windowManagerAnswers()
{
    // wmctrl finds the window manager's check window once one runs on the display.
    QProcess wmctrl;
    wmctrl.setStandardOutputFile(QProcess::nullDevice());
    wmctrl.setStandardErrorFile(QProcess::nullDevice());
    wmctrl.start(QStringLiteral("wmctrl"), {QStringLiteral("-m")});
    return wmctrl.waitForFinished(10000) && wmctrl.exitStatus() == QProcess::NormalExit && wmctrl.exitCode() == 0;
}

bool TestWindowManagerClose::closeWindow(const QString &windowId)
{
    // The same request the frame's close button makes.
    return QProcess::execute(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), windowId}) == 0;
}

void TestWindowManagerClose::closingTheSaverRunsItsCloseHandlers()
{
    ProgramProcess saver(SaverProgramFixture::withLifecycleLog(m_dirs.environment()));
    QVERIFY(saver.start());
    QVERIFY(saver.waitForStderr(QStringLiteral("Form1 shown")));
    const QString window = XDoTool::waitForWindowOfProcess(saver.processId());
    QVERIFY2(!window.isEmpty(), "the saver window never appeared");

    QVERIFY(closeWindow(window));
    SaverProgramFixture::waitForGoodEnd(saver, QStringLiteral("the window manager closed its window"));
    const QString log = saver.standardError();
    const qsizetype queryUnload = log.indexOf(QStringLiteral("Form_QueryUnload"));
    QVERIFY2(queryUnload >= 0, qPrintable(log));
    QVERIFY2(log.indexOf(QStringLiteral("Form_Unload"), queryUnload) > queryUnload, qPrintable(log));
    QVERIFY2(!log.contains(QStringLiteral("EndProgram")), qPrintable(log));
    // Hidden once when shown, then raised by each close handler: visible at the end.
    QVERIFY2(log.contains(QStringLiteral("RestoreCursor: display count 2")), qPrintable(log));
}

void TestWindowManagerClose::closingTheSettingsWindowSavesNothing()
{
    {
        QSettings stored(m_dirs.settingsFile(), QSettings::IniFormat);
        stored.setValue(QStringLiteral("Settings/Interval"), QStringLiteral("30"));
    }
    QFile file(m_dirs.settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    ProgramProcess settings(SaverProgramFixture::withLifecycleLog(m_dirs.environment()));
    QVERIFY(settings.start({QStringLiteral("/c")}));
    const QString window = XDoTool::waitForWindow(QStringLiteral("Screen Saver Settings"));
    QVERIFY2(!window.isEmpty(), "the settings window never appeared");
    // Set, Help, Exit, then the spin button: a step changes the working interval, and
    // closing must not save it.
    QVERIFY(XDoTool::keyInWindow(window, QStringLiteral("Tab")));
    QVERIFY(XDoTool::key(QStringLiteral("Tab")));
    QVERIFY(XDoTool::key(QStringLiteral("Tab")));
    QVERIFY(XDoTool::key(QStringLiteral("Right")));

    QVERIFY(closeWindow(window));
    SaverProgramFixture::waitForGoodEnd(settings, QStringLiteral("the window manager closed its window"));
    QVERIFY2(!settings.standardError().contains(QStringLiteral("EndProgram")), qPrintable(settings.standardError()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

QTEST_GUILESS_MAIN(TestWindowManagerClose)
#include "tst_window_manager_close.moc"
