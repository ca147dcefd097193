#include "UnprivilegedUser.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

// Long enough for a daemon's control command on a loaded machine.
constexpr int kCommandEndsWithinMs = 20000;

} // namespace

UnprivilegedUser::UnprivilegedUser()
{
    const passwd *user = ::getpwnam("nobody");
    const group *userGroup = ::getgrnam("nogroup");
    m_known = user && userGroup;
    if (m_known) {
        m_uid = user->pw_uid;
        m_gid = userGroup->gr_gid;
    }
}

bool UnprivilegedUser::handOver(const QString &path) const
{
    const auto own = [this](const QString &entry) {
        return ::lchown(QFile::encodeName(entry).constData(), m_uid, m_gid) == 0;
    };
    if (!m_known || !own(path))
        return false;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (!own(it.next()))
            return false;
    }
    return true;
}

QStringList UnprivilegedUser::command(const QStringList &command) const
{
    return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(m_uid),
                       QStringLiteral("--regid=%1").arg(m_gid), QStringLiteral("--clear-groups"), QStringLiteral("--")}
    + command;
}

int UnprivilegedUser::run(const QStringList &command, const QProcessEnvironment &environment,
                          const QString &workingDirectory, QProcess::ProcessChannelMode channels,
                          QByteArray *output) const
{
    return RunToEnd(this->command(command), environment, workingDirectory, channels, output);
}

int RunToEnd(const QStringList &command, const QProcessEnvironment &environment, const QString &workingDirectory,
             QProcess::ProcessChannelMode channels, QByteArray *output)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.setProcessChannelMode(channels);
    process.start(command.constFirst(), command.mid(1));
    if (!process.waitForFinished(kCommandEndsWithinMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitCode();
}

bool CarrySanitizerOptions(QProcessEnvironment &environment, const QString &folder)
{
    for (const char *name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        QString options = qEnvironmentVariable(name);
        if (options.isEmpty())
            continue;
        const QRegularExpressionMatch suppressions =
            QRegularExpression(QStringLiteral("suppressions=([^:]+)")).match(options);
        if (suppressions.hasMatch()) {
            const QString copy = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".supp");
            if (!QFile::copy(suppressions.captured(1), copy)
                || !QFile::setPermissions(copy, QFile::ReadOwner | QFile::ReadOther))
                return false;
            options.replace(suppressions.capturedStart(1), suppressions.capturedLength(1), copy);
        }
        environment.insert(QLatin1String(name), options);
    }
    return true;
}
