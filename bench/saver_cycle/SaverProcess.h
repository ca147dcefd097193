#pragma once

#include "saver_cycle/SaverLog.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <functional>

// The real saver, started for a measurement: its standard error is read into a SaverLog as it
// comes, so that what it logs can be timed the moment it arrives. A saver still running when
// this goes away is killed.
class SaverProcess
{
public:
    SaverProcess(const QString &program, const QProcessEnvironment &environment);
    ~SaverProcess();
    SaverProcess(const SaverProcess &) = delete;
    SaverProcess &operator=(const SaverProcess &) = delete;

    // Starts the saver full screen; false, and why in *failure, when it could not be started.
    bool start(QString *failure);
    qint64 processId() const { return m_pid; }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    const SaverLog &log() const { return m_log; }

    // Reads standard error until done holds for the log, the deadline passes or the saver
    // ends; whether done held.
    bool readUntil(const std::function<bool(const SaverLog &)> &done, QDeadlineTimer deadline);
    // Reads standard error until the deadline; false when the saver ended before it.
    bool readUntil(QDeadlineTimer deadline);

    // Ends the saver as a daemon does: SIGTERM, and a kill when it has not ended within
    // graceMs. Empty when it ended by itself with status 0, else what happened.
    QString end(int graceMs);

private:
    void readAvailable();

    QProcess m_process;
    SaverLog m_log;
    qint64 m_pid = 0;
};
