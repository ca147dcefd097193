#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// The unprivileged user "nobody" (group "nogroup") that a test run as root starts the
// programs that refuse root as. The user is handed only what the test itself created.
class UnprivilegedUser
{
public:
    // Looks the user and the group up; isKnown() says whether both are there.
    UnprivilegedUser();

    bool isKnown() const { return m_known; }
    uid_t uid() const { return m_uid; }
    gid_t gid() const { return m_gid; }

    // Makes the path and everything below it the user's (links themselves, not their targets).
    bool handOver(const QString &path) const;
    // The command run as the user, under the environment the caller gives it.
    QStringList command(const QStringList &command) const;
    // Runs the command as the user and waits for its end; its exit code, or -1 when it did not
    // end normally in time. Output is what the channel mode leaves on standard output.
    int run(const QStringList &command, const QProcessEnvironment &environment, const QString &workingDirectory,
            QProcess::ProcessChannelMode channels, QByteArray *output = nullptr) const;

private:
    bool m_known = false;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

// Runs a command line, its first word the program, and waits for its end; its exit code, or -1
// when it did not end normally in time.
int RunToEnd(const QStringList &command, const QProcessEnvironment &environment, const QString &workingDirectory,
             QProcess::ProcessChannelMode channels, QByteArray *output = nullptr);

// In the sanitizer build, the programs a test starts as another user run under this process's
// sanitizer options; their suppression files come along as copies in folder that any user can
// read. False when one cannot be copied.
bool CarrySanitizerOptions(QProcessEnvironment &environment, const QString &folder);
