#include "saver_cycle/SaverProcess.h"

#include <algorithm>
#include <csignal>

namespace {

// How long one wait for output lasts at most, so that deadlines are met this closely.
constexpr qint64 kPollMs = 20;

} // namespace

SaverProcess::SaverProcess(const QString &program, const QProcessEnvironment &environment)
{
    m_process.setProgram(program);
    m_process.setProcessEnvironment(environment);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    // waitForReadyRead() then returns as soon as the saver says something.
    m_process.setReadChannel(QProcess::StandardError);
}

SaverProcess::~SaverProcess()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool SaverProcess::start(QString *failure)
{
    m_process.start();
    if (!m_process.waitForStarted(10000)) {
        *failure = QStringLiteral("%1 could not be started: %2").arg(m_process.program(), m_process.errorString());
        return false;
    }
    m_pid = m_process.processId();
    return true;
}

void SaverProcess::readAvailable()
{
    m_log.append(m_process.readAllStandardError());
}

bool SaverProcess::readUntil(const std::function<bool(const SaverLog &)> &done, QDeadlineTimer deadline)
{
    for (;;) {
        readAvailable();
        if (done(m_log))
            return true;
        if (!isRunning() || deadline.hasExpired())
            return false;
        const qint64 remaining = deadline.isForever() ? kPollMs : deadline.remainingTime();
        m_process.waitForReadyRead(int(std::clamp<qint64>(remaining, 1, kPollMs)));
    }
}

bool SaverProcess::readUntil(QDeadlineTimer deadline)
{
    readUntil([](const SaverLog &) { return false; }, deadline);
    return isRunning();
}

QString SaverProcess::end(int graceMs)
{
    QString outcome;
    if (isRunning()) {
        ::kill(pid_t(m_pid), SIGTERM);
        if (!m_process.waitForFinished(graceMs)) {
            m_process.kill();
            m_process.waitForFinished(5000);
            outcome = QStringLiteral("the saver did not end within %1 s of SIGTERM and was killed").arg(graceMs / 1000);
        }
    } else {
        outcome = QStringLiteral("the saver had ended by itself before it was told to");
    }
    readAvailable();
    if (!outcome.isEmpty())
        return outcome;
    if (m_process.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("the saver died of a signal instead of ending with status 0");
    if (m_process.exitCode() != 0)
        return QStringLiteral("the saver ended with status %1").arg(m_process.exitCode());
    return outcome;
}
