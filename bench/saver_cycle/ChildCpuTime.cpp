#include "saver_cycle/ChildCpuTime.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

QString describeEnd(int status)
{
    if (WIFEXITED(status))
        return QStringLiteral("exited with status %1").arg(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return QStringLiteral("was ended by signal %1").arg(WTERMSIG(status));
    return QStringLiteral("ended with wait status %1").arg(status);
}

} // namespace

std::optional<double> runForCpuSeconds(const QStringList &command, QString *failure)
{
    if (command.isEmpty()) {
        *failure = QStringLiteral("no command to run");
        return std::nullopt;
    }
    QList<QByteArray> arguments;
    for (const QString &argument : command)
        arguments.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    const QString name = command.constFirst();
    if (spawned != 0) {
        *failure =
            QStringLiteral("%1 could not be started: %2").arg(name, QString::fromLocal8Bit(std::strerror(spawned)));
        return std::nullopt;
    }

    int status = 0;
    rusage usage{};
    pid_t waited = -1;
    do {
        waited = ::wait4(pid, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid) {
        *failure =
            QStringLiteral("%1 could not be waited for: %2").arg(name, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *failure = QStringLiteral("%1 %2").arg(command.join(u' '), describeEnd(status));
        return std::nullopt;
    }
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
