#include "HeadlessSway.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {

constexpr auto kConfig = "xwayland disable\n"
                         "output HEADLESS-1 mode 1024x768 position 0 0\n"
                         "output HEADLESS-2 mode 800x600 position 1024 0\n"
                         "output HEADLESS-3 mode 640x480 position 1824 0\n";

void collectFullScreen(const QJsonObject &node, const QString &output, QList<HeadlessSway::FullScreenWindow> *found)
{
    const QString here = node.value(QStringLiteral("type")).toString() == QLatin1String("output")
        ? node.value(QStringLiteral("name")).toString()
        : output;
    if (node.value(QStringLiteral("fullscreen_mode")).toInt() == 1 && node.contains(QStringLiteral("pid")))
        found->append({here, qint64(node.value(QStringLiteral("pid")).toDouble())});
    for (const char *children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue &child : node.value(QLatin1String(children)).toArray())
            collectFullScreen(child.toObject(), here, found);
    }
}

} // namespace

HeadlessSway::HeadlessSway() = default;

HeadlessSway::~HeadlessSway()
{
    stop();
}

QString HeadlessSway::home() const
{
    return m_base.filePath(QStringLiteral("home"));
}

bool HeadlessSway::handOver() const
{
    return !m_asNobody || m_user.handOver(home());
}

QStringList HeadlessSway::asUser(const QStringList &command) const
{
    return m_asNobody ? m_user.command(command) : command;
}

bool HeadlessSway::start(const QString &pointerProgram, int timeoutMs)
{
    for (const char *tool : {"sway", "swaymsg", "grim", "wtype", "setpriv"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            m_error = QStringLiteral("%1 is not installed (tools/install-deps.sh)").arg(QLatin1String(tool));
            return false;
        }
    }
    m_asNobody = ::geteuid() == 0;
    if (!m_base.isValid())
        return false;
    QFile::setPermissions(m_base.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    const QString runtime = home() + QStringLiteral("/runtime");
    const QString config = home() + QStringLiteral("/sway.config");
    QDir().mkpath(runtime);
    QDir().mkpath(home() + QStringLiteral("/config"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(kConfig) < 0) {
        m_error = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    file.close();
    // The pointer, too, must be the user's to run.
    const QString pointerCopy = home() + QStringLiteral("/virtual_pointer");
    if (!QFile::copy(pointerProgram, pointerCopy)) {
        m_error = QStringLiteral("cannot copy %1").arg(pointerProgram);
        return false;
    }
    if (!handOver()) {
        m_error = QStringLiteral("cannot hand %1 to the user nobody").arg(home());
        return false;
    }
    QFile::setPermissions(home(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home() + QStringLiteral("/config"));
    if (!CarrySanitizerOptions(environment, m_base.path())) {
        m_error = QStringLiteral("cannot copy the sanitizer's suppressions into %1").arg(m_base.path());
        return false;
    }
    QProcessEnvironment swayEnvironment = environment;
    swayEnvironment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    swayEnvironment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    swayEnvironment.insert(QStringLiteral("WLR_HEADLESS_OUTPUTS"), QStringLiteral("2"));
    swayEnvironment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    m_sway.setProcessEnvironment(swayEnvironment);
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    m_sway.setStandardOutputFile(m_base.filePath(QStringLiteral("sway.log")));
    const QStringList command = asUser({QStringLiteral("sway"), QStringLiteral("-c"), config});
    m_sway.start(command.constFirst(), command.mid(1));
    if (!m_sway.waitForStarted(10000)) {
        m_error = QStringLiteral("sway did not start");
        return false;
    }

    // Its sockets in the runtime directory, then an answer on its IPC socket.
    QDeadlineTimer deadline(timeoutMs);
    QString display;
    QString ipc;
    while (display.isEmpty() || ipc.isEmpty()) {
        const QStringList entries = QDir(runtime).entryList(QDir::System | QDir::Files);
        for (const QString &entry : entries) {
            if (entry.startsWith(QLatin1String("wayland-")) && !entry.endsWith(QLatin1String(".lock")))
                display = entry;
            if (entry.startsWith(QLatin1String("sway-ipc.")))
                ipc = runtime + u'/' + entry;
        }
        if (m_sway.state() == QProcess::NotRunning || deadline.hasExpired()) {
            m_error = QStringLiteral("sway did not come up:\n") + logTail();
            return false;
        }
        QThread::msleep(50);
    }
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), display);
    environment.insert(QStringLiteral("SWAYSOCK"), ipc);
    m_environment = environment;
    while (outputs().size() < 2) {
        if (m_sway.state() == QProcess::NotRunning || deadline.hasExpired()) {
            m_error = QStringLiteral("sway shows no two outputs:\n") + logTail();
            return false;
        }
        QThread::msleep(50);
    }

    m_pointer.setProcessEnvironment(m_environment);
    m_pointer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QStringList pointerCommand = asUser({pointerCopy});
    m_pointer.start(pointerCommand.constFirst(), pointerCommand.mid(1));
    if (!m_pointer.waitForStarted(10000)) {
        m_error = QStringLiteral("the virtual pointer did not start");
        return false;
    }
    return true;
}

void HeadlessSway::stop()
{
    for (QProcess *process : {&m_pointer, &m_sway}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        if (process == &m_pointer)
            process->closeWriteChannel();
        else
            process->terminate();
        if (!process->waitForFinished(10000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

QString HeadlessSway::logTail(int lines) const
{
    QFile log(m_base.filePath(QStringLiteral("sway.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QStringList all = QString::fromLocal8Bit(log.readAll()).split(QLatin1Char('\n'));
    return all.mid(qMax(0, int(all.size()) - lines)).join(QLatin1Char('\n'));
}

int HeadlessSway::run(const QStringList &command, QByteArray *output) const
{
    return RunToEnd(asUser(command), m_environment, home(), QProcess::ForwardedErrorChannel, output);
}

QMap<QString, QRect> HeadlessSway::outputs() const
{
    QByteArray json;
    QMap<QString, QRect> found;
    if (run({QStringLiteral("swaymsg"), QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_outputs")},
            &json)
        != 0)
        return found;
    for (const QJsonValue &value : QJsonDocument::fromJson(json).array()) {
        const QJsonObject output = value.toObject();
        const QJsonObject rect = output.value(QStringLiteral("rect")).toObject();
        found.insert(output.value(QStringLiteral("name")).toString(),
                     QRect(rect.value(QStringLiteral("x")).toInt(), rect.value(QStringLiteral("y")).toInt(),
                           rect.value(QStringLiteral("width")).toInt(), rect.value(QStringLiteral("height")).toInt()));
    }
    return found;
}

QList<HeadlessSway::FullScreenWindow> HeadlessSway::fullScreenWindows() const
{
    QByteArray json;
    QList<FullScreenWindow> found;
    if (run({QStringLiteral("swaymsg"), QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")}, &json)
        == 0)
        collectFullScreen(QJsonDocument::fromJson(json).object(), {}, &found);
    return found;
}

QImage HeadlessSway::capture(const QString &output, bool withPointer) const
{
    const QString path = home() + QStringLiteral("/capture.ppm");
    QStringList grim = {QStringLiteral("grim"), QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-o"),
                        output};
    if (withPointer)
        grim << QStringLiteral("-c");
    grim << path;
    if (run(grim) != 0 || run(grim) != 0)
        return {};
    return QImage(path);
}

bool HeadlessSway::pressKey(const QString &key) const
{
    // Without the delay the compositor may take the first key before the keyboard is set up.
    return run({QStringLiteral("wtype"), QStringLiteral("-s"), QStringLiteral("300"), QStringLiteral("-k"), key}) == 0;
}

QString HeadlessSway::createOutput() const
{
    const QMap<QString, QRect> before = outputs();
    if (run({QStringLiteral("swaymsg"), QStringLiteral("create_output")}) != 0)
        return {};
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        for (const QString &name : outputs().keys()) {
            if (!before.contains(name))
                return name;
        }
        QThread::msleep(50);
    }
    return {};
}

bool HeadlessSway::pointer(const QString &command)
{
    m_pointer.write(command.toUtf8() + '\n');
    QDeadlineTimer deadline(15000);
    while (!m_pointer.canReadLine()) {
        if (m_pointer.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        m_pointer.waitForReadyRead(100);
    }
    return m_pointer.readLine().trimmed() == "ok";
}
