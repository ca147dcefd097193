#include "ProgramProcess.h"

#include <QDeadlineTimer>

ProgramProcess::ProgramProcess(const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProgram(QStringLiteral(DRAVIK_BINARY));
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
}

ProgramProcess::~ProgramProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool ProgramProcess::start(const QStringList &arguments)
{
    m_process.setArguments(arguments);
    m_process.start();
    return m_process.waitForStarted(10000);
}

QString ProgramProcess::standardError()
{
    m_stderr += QString::fromLocal8Bit(m_process.readAllStandardError());
    return m_stderr;
}

bool ProgramProcess::waitForStderr(const QString &text, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!standardError().contains(text)) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return standardError().contains(text);
        m_process.waitForReadyRead(50);
    }
    return true;
}

bool ProgramProcess::waitForExit(int timeoutMs)
{
    const bool finished = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    standardError();
    return finished;
}

bool ProgramProcess::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

qint64 ProgramProcess::processId() const
{
    return m_process.processId();
}

int ProgramProcess::exitCode() const
{
    return m_process.exitCode();
}

QProcess::ExitStatus ProgramProcess::exitStatus() const
{
    return m_process.exitStatus();
}
