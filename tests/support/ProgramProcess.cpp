#include "ProgramProcess.h"

#include <QDeadlineTimer>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

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
    if (m_closedPipe >= 0)
        ::close(m_closedPipe);
}

bool ProgramProcess::setStandardErrorToClosedPipe()
{
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    ::close(ends[0]);
    m_closedPipe = ends[1];
    // Runs in the child between fork and exec, after QProcess has set up its channels.
    m_process.setChildProcessModifier([writeEnd = m_closedPipe] {
        ::dup2(writeEnd, STDERR_FILENO);
        ::signal(SIGPIPE, SIG_DFL);
    });
    return true;
}

bool ProgramProcess::start(const QStringList &arguments)
{
    m_process.setArguments(arguments);
    m_process.start();
    const bool started = m_process.waitForStarted(10000);
    if (m_closedPipe >= 0) {
        // Only the program holds the pipe now.
        ::close(m_closedPipe);
        m_closedPipe = -1;
    }
    return started;
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
        if (m_process.state() == QProcess::NotRunning)
            return standardError().contains(text);
        if (deadline.hasExpired()) {
            if (standardError().contains(text))
                return true;
            printStacks();
            return false;
        }
        m_process.waitForReadyRead(50);
    }
    return true;
}

void ProgramProcess::printStacks() const
{
    // A program that does not say what it was expected to is shown with where each of its
    // threads is, so that a failure on a machine nobody can log into still tells why.
    QProcess debugger;
    debugger.start(QStringLiteral("gdb"),
                   {QStringLiteral("-p"), QString::number(m_process.processId()), QStringLiteral("-batch"),
                    QStringLiteral("-nx"), QStringLiteral("-ex"), QStringLiteral("thread apply all bt")});
    if (!debugger.waitForFinished(60000)) {
        debugger.kill();
        debugger.waitForFinished();
    }
    // QtTest cuts a failure's message short, so the stacks go to this test's standard error.
    const QByteArray stacks = debugger.readAllStandardOutput() + debugger.readAllStandardError();
    std::fprintf(stderr, "--- where the program's threads were ---\n%s--- end of stacks ---\n", stacks.constData());
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
