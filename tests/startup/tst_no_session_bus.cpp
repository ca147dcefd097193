#include "IsolatedUserDirs.h"
#include "ProgramProcess.h"
#include "SaverSettings.h"
#include "XDoTool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Started in a session without a message bus (a bare X session, a daemon started before the
// bus), the program shows its window without starting a bus helper of its own. Such a helper
// once held up the first window and kept a forked copy of the instance lock past the program's
// end, so that the next start took itself for a second copy.
class TestNoSessionBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowComesWithoutABusHelper_data();
    void windowComesWithoutABusHelper();

private:
    IsolatedUserDirs m_userDirs;
    QTemporaryDir m_fakeTools;
    QString m_started;
};

void TestNoSessionBus::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server (the test runs under xvfb-run)");
    m_userDirs.applyToThisProcess();
    QVERIFY(m_fakeTools.isValid());
    m_started = m_fakeTools.filePath(QStringLiteral("bus-helper-started"));
    // First on PATH: the bus library's helper, which notes that it ran and then takes long.
    const QString helper = m_fakeTools.filePath(QStringLiteral("dbus-launch"));
    QFile script(helper);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\nsleep 30\n").arg(m_started).toLocal8Bit());
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    StoreSaverSettings(QStringLiteral("1"), m_fakeTools.path() + QStringLiteral("/no-photos/"));
}

void TestNoSessionBus::windowComesWithoutABusHelper_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("saver") << QStringList{};
    QTest::newRow("settings") << QStringList{QStringLiteral("/c")};
}

void TestNoSessionBus::windowComesWithoutABusHelper()
{
    QFETCH(QStringList, arguments);
    QFile::remove(m_started);

    QProcessEnvironment env = m_userDirs.environment();
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.insert(QStringLiteral("PATH"), m_fakeTools.path() + u':' + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("dravik.lifecycle.debug=true"));
    ProgramProcess program(env);
    QVERIFY(program.start(arguments));
    QVERIFY2(!XDoTool::waitForWindowOfProcess(program.processId()).isEmpty(), qPrintable(program.standardError()));
    QVERIFY2(!QFile::exists(m_started), "the program started a message bus helper");

    // The next copy finds the first one running, and once it has ended, runs itself.
    ProgramProcess second(env);
    QVERIFY(second.start(arguments));
    QVERIFY(second.waitForExit());
    QVERIFY2(second.standardError().contains(QStringLiteral("previous instance found")),
             qPrintable(second.standardError()));
}

QTEST_GUILESS_MAIN(TestNoSessionBus)
#include "tst_no_session_bus.moc"
