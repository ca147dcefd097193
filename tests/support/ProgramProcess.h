#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The real program, started as its own process for the end-to-end tests. Standard error is
// collected, so a test can wait for what the program says (for example with
// QT_LOGGING_RULES="dravik.lifecycle.debug=true" in the environment).
class ProgramProcess
{
public:
    explicit ProgramProcess(const QProcessEnvironment &environment);
    ~ProgramProcess();

    // Where the program starts; the caller's directory unless set.
    void setWorkingDirectory(const QString &directory) { m_process.setWorkingDirectory(directory); }
    // Connects the program's standard error to a pipe that nobody reads, as when whoever
    // started it has gone away: every write there fails. The program starts with SIGPIPE at
    // its default effect, as a daemon would start it. Call before start().
    bool setStandardErrorToClosedPipe();
    // Starts the program with the given arguments; false when it could not be started.
    bool start(const QStringList &arguments = {});
    // Waits until standard error holds text, or the timeout runs out. On a timeout, where
    // the program's threads were goes to this test's standard error.
    bool waitForStderr(const QString &text, int timeoutMs = 10000);
    // Waits for the process to end; false on timeout.
    bool waitForExit(int timeoutMs = 10000);
    bool isRunning() const;
    qint64 processId() const;

    int exitCode() const;
    QProcess::ExitStatus exitStatus() const;
    QString standardError();

private:
    void printStacks() const;

    QProcess m_process;
    QString m_stderr;
    // The writing end of the closed pipe, handed to the program at start.
    int m_closedPipe = -1;
};
