#include "SaverProgramFixture.h"

#include "XDoTool.h"

#include <QDir>
#include <QTest>

#include <csignal>

void SaverProgramFixture::setUp()
{
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
    return withLifecycleLog(m_userDirs.environment(), moreLoggingRules);
}

QProcessEnvironment SaverProgramFixture::withLifecycleLog(QProcessEnvironment environment,
                                                          const QString &moreLoggingRules)
{
    QString rules = QStringLiteral("dravik.lifecycle.debug=true");
    if (!moreLoggingRules.isEmpty())
        rules += QLatin1Char(';') + moreLoggingRules;
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
    return environment;
}

void SaverProgramFixture::start(ProgramProcess &program, const QStringList &arguments)
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server (the test runs under xvfb-run)");
    QVERIFY(program.start(arguments));
    QVERIFY2(program.waitForStderr(QStringLiteral("Form1 shown")), qPrintable(program.standardError()));
    QVERIFY(!XDoTool::waitForWindowOfProcess(program.processId()).isEmpty());
}

void SaverProgramFixture::end(ProgramProcess &program)
{
    QVERIFY2(program.isRunning(), qPrintable(program.standardError()));
    QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
    waitForGoodEnd(program, QStringLiteral("SIGTERM"));
}

void SaverProgramFixture::waitForGoodEnd(ProgramProcess &program, const QString &after, int timeoutMs)
{
    QVERIFY2(
        program.waitForExit(timeoutMs),
        qPrintable(
            QStringLiteral("still running %1 ms after %2\n%3").arg(timeoutMs).arg(after, program.standardError())));
    const QString how = program.exitStatus() == QProcess::CrashExit
        ? QStringLiteral("by a signal")
        : QStringLiteral("with status %1").arg(program.exitCode());
    QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
             qPrintable(QStringLiteral("ended %1 after %2\n%3").arg(how, after, program.standardError())));
}
