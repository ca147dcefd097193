#include "SaverProgramFixture.h"

#include "XDoTool.h"

#include <QDir>
#include <QTest>

#include <csignal>

void SaverProgramFixture::setUp()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server (the test runs under xvfb-run)");
    m_userDirs.applyToThisProcess();
    renewPhotoDir();
}

void SaverProgramFixture::renewPhotoDir()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    QVERIFY(QDir().mkpath(photoDir()));
}

QProcessEnvironment SaverProgramFixture::environment(const QString &moreLoggingRules) const
{
    QProcessEnvironment env = m_userDirs.environment();
    QString rules = QStringLiteral("dravik.lifecycle.debug=true");
    if (!moreLoggingRules.isEmpty())
        rules += QLatin1Char(';') + moreLoggingRules;
    env.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
    return env;
}

void SaverProgramFixture::start(ProgramProcess &program, const QStringList &arguments)
{
    QVERIFY(program.start(arguments));
    QVERIFY2(program.waitForStderr(QStringLiteral("Form1 shown")), qPrintable(program.standardError()));
    QVERIFY(!XDoTool::waitForWindowOfProcess(program.processId()).isEmpty());
}

void SaverProgramFixture::end(ProgramProcess &program)
{
    QVERIFY2(program.isRunning(), qPrintable(program.standardError()));
    QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
    QVERIFY(program.waitForExit());
    QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
             qPrintable(program.standardError()));
}
