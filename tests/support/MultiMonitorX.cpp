#include "MultiMonitorX.h"

#include "XwdImage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int kClientTimeoutMs = 20000;
constexpr int kLayoutTimeoutMs = 10000;

// The server binary itself rather than the Xorg wrapper script, which may hand over to a
// setuid helper that would drop the parent-death signal.
QString xorgProgram()
{
    const QString server = QStringLiteral("/usr/lib/xorg/Xorg");
    if (QFileInfo(server).isExecutable())
        return server;
    return QStandardPaths::findExecutable(QStringLiteral("Xorg"));
}

QString tailOf(const QString &path, int lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList all = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
    return all.mid(qMax(0, int(all.size()) - lines)).join(QLatin1Char('\n'));
}

} // namespace

MultiMonitorX::MultiMonitorX() = default;

MultiMonitorX::~MultiMonitorX()
{
    stop();
}

bool MultiMonitorX::start(int timeoutMs)
{
    if (isRunning())
        return true;
    m_error.clear();
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary directory for the server: %1").arg(m_dir.errorString());
        return false;
    }
    const QString config = QStringLiteral(DRAVIK_XORG_DUMMY_CONFIG);
    if (!QFileInfo::exists(config)) {
        m_error = QStringLiteral("the server configuration %1 is missing").arg(config);
        return false;
    }
    const QString program = xorgProgram();
    if (program.isEmpty()) {
        m_error = QStringLiteral("Xorg is not installed (Debian: xserver-xorg-core, xserver-xorg-video-dummy)");
        return false;
    }
    // A directory of our own, with one file in it: an empty one would make Xorg fall back
    // to the machine's /etc/X11/xorg.conf.d, whose devices are not ours to open.
    const QString configDir = m_dir.filePath(QStringLiteral("xorg.conf.d"));
    QDir().mkpath(configDir);
    QFile placeholder(configDir + QStringLiteral("/00-nothing.conf"));
    if (!placeholder.open(QIODevice::WriteOnly) || placeholder.write("# nothing to add\n") < 0) {
        m_error = QStringLiteral("cannot write %1").arg(placeholder.fileName());
        return false;
    }
    placeholder.close();
    // Clients present no cookie: the server has no authorisation and takes local clients.
    QFile authority(m_dir.filePath(QStringLiteral("Xauthority")));
    authority.open(QIODevice::WriteOnly);
    authority.close();

    // -displayfd 1: the server picks a free display and writes its number to standard
    // output once it accepts clients. Sharing the VT keeps it off the console.
    m_server.setProgram(program);
    m_server.setArguments({QStringLiteral("-config"), config, QStringLiteral("-configdir"), configDir,
                           QStringLiteral("-logfile"), m_dir.filePath(QStringLiteral("Xorg.log")),
                           QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                           QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("+extension"),
                           QStringLiteral("RANDR"), QStringLiteral("-novtswitch"), QStringLiteral("-sharevts")});
    m_server.setStandardErrorFile(m_dir.filePath(QStringLiteral("Xorg.stderr")));
    // The server leaves its process group; if the test dies without stopping it, the
    // kernel does.
    m_server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_server.start(QIODevice::ReadOnly);
    if (!m_server.waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("%1 could not be started: %2").arg(program, m_server.errorString());
        return false;
    }

    QByteArray announced;
    QDeadlineTimer deadline(timeoutMs);
    while (!announced.contains('\n')) {
        if (m_server.state() == QProcess::NotRunning || deadline.hasExpired())
            break;
        m_server.waitForReadyRead(100);
        announced += m_server.readAllStandardOutput();
    }
    bool numbered = false;
    const int number = announced.trimmed().toInt(&numbered);
    if (!announced.contains('\n') || !numbered) {
        const bool exited = m_server.state() == QProcess::NotRunning;
        stop();
        m_error = QStringLiteral("Xorg %1 without naming its display (uid %2).\nstderr:\n%3\nlog:\n%4")
                      .arg(exited ? QStringLiteral("exited with status %1").arg(m_server.exitCode())
                                  : QStringLiteral("ran %1 ms").arg(timeoutMs))
                      .arg(::getuid())
                      .arg(tailOf(m_dir.filePath(QStringLiteral("Xorg.stderr")), 15), logTail(15));
        return false;
    }
    m_display = QStringLiteral(":%1").arg(number);
    return true;
}

void MultiMonitorX::stop()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(10000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
    m_display.clear();
    m_modes.clear();
    m_outputModes.clear();
}

bool MultiMonitorX::isRunning() const
{
    return m_server.state() != QProcess::NotRunning && !m_display.isEmpty();
}

QString MultiMonitorX::logTail(int lines) const
{
    return tailOf(m_dir.filePath(QStringLiteral("Xorg.log")), lines);
}

QProcessEnvironment MultiMonitorX::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("XAUTHORITY"), m_dir.filePath(QStringLiteral("Xauthority")));
    return environment;
}

void MultiMonitorX::applyToThisProcess() const
{
    qputenv("DISPLAY", m_display.toLocal8Bit());
    qputenv("XAUTHORITY", m_dir.filePath(QStringLiteral("Xauthority")).toLocal8Bit());
}

bool MultiMonitorX::runClient(const QString &program, const QStringList &arguments, QByteArray *output)
{
    const QString command = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
    if (!isRunning()) {
        m_error = QStringLiteral("%1: the server is not running").arg(command);
        return false;
    }
    QProcess client;
    client.setProcessEnvironment(environment());
    client.start(program, arguments);
    if (!client.waitForFinished(kClientTimeoutMs)) {
        m_error = QStringLiteral("%1: %2").arg(command, client.errorString());
        client.kill();
        client.waitForFinished(5000);
        return false;
    }
    if (output)
        *output = client.readAllStandardOutput();
    if (client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0) {
        m_error = QStringLiteral("%1 failed (status %2): %3")
                      .arg(command)
                      .arg(client.exitCode())
                      .arg(QString::fromLocal8Bit(client.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

bool MultiMonitorX::xrandr(const QStringList &arguments)
{
    return runClient(QStringLiteral("xrandr"), arguments);
}

QMap<QString, QRect> MultiMonitorX::monitors()
{
    QMap<QString, QRect> found;
    QByteArray listing;
    if (!runClient(QStringLiteral("xrandr"), {QStringLiteral("--listmonitors")}, &listing))
        return found;
    // " 1: +DUMMY1 800/212x600/159+1024+0  DUMMY1": name, width/mm x height/mm +x +y.
    static const QRegularExpression line(
        QStringLiteral(R"(^\s*\d+:\s+[+*]*(\S+)\s+(\d+)/\d+x(\d+)/\d+([+-]\d+)([+-]\d+))"),
        QRegularExpression::MultilineOption);
    auto matches = line.globalMatch(QString::fromLocal8Bit(listing));
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        found.insert(match.captured(1),
                     QRect(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(2).toInt(),
                           match.captured(3).toInt()));
    }
    return found;
}

bool MultiMonitorX::waitForMonitor(const QString &name, const QRect &geometry)
{
    QDeadlineTimer deadline(kLayoutTimeoutMs);
    QMap<QString, QRect> listed;
    do {
        listed = monitors();
        const bool present = listed.contains(name) && (geometry.isNull() || listed.value(name) == geometry);
        if (present == !geometry.isNull())
            return true;
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    QStringList seen;
    for (auto it = listed.cbegin(); it != listed.cend(); ++it)
        seen << QStringLiteral("%1 %2x%3+%4+%5")
                    .arg(it.key())
                    .arg(it->width())
                    .arg(it->height())
                    .arg(it->x())
                    .arg(it->y());
    m_error = QStringLiteral("RandR lists [%1], not %2 %3")
                  .arg(seen.join(QStringLiteral(", ")), name,
                       geometry.isNull() ? QStringLiteral("switched off")
                                         : QStringLiteral("at %1x%2+%3+%4")
                                               .arg(geometry.width())
                                               .arg(geometry.height())
                                               .arg(geometry.x())
                                               .arg(geometry.y()));
    return false;
}

bool MultiMonitorX::addOutput(const QString &name, int width, int height, const QString &rightOf)
{
    QRect geometry(0, 0, width, height);
    if (!rightOf.isEmpty()) {
        const QMap<QString, QRect> listed = monitors();
        if (!listed.contains(rightOf)) {
            m_error = QStringLiteral("%1 cannot go right of %2, which is off").arg(name, rightOf);
            return false;
        }
        geometry.moveTopLeft(QPoint(listed.value(rightOf).right() + 1, listed.value(rightOf).top()));
    }

    // A 60 Hz mode of the size with blanking the dummy driver accepts; created once a server.
    const QString mode = QStringLiteral("dravik-%1x%2").arg(width).arg(height);
    if (!m_modes.contains(mode)) {
        const int horizontalTotal = width + 160;
        const int verticalTotal = height + 30;
        const double clockMHz = double(horizontalTotal) * verticalTotal * 60 / 1e6;
        if (!xrandr({QStringLiteral("--newmode"), mode, QString::number(clockMHz, 'f', 2), QString::number(width),
                     QString::number(width + 48), QString::number(width + 80), QString::number(horizontalTotal),
                     QString::number(height), QString::number(height + 3), QString::number(height + 7),
                     QString::number(verticalTotal), QStringLiteral("+hsync"), QStringLiteral("+vsync")}))
            return false;
        m_modes.insert(mode);
    }
    if (!m_outputModes.contains(name + QLatin1Char('/') + mode)) {
        if (!xrandr({QStringLiteral("--addmode"), name, mode}))
            return false;
        m_outputModes.insert(name + QLatin1Char('/') + mode);
    }

    QStringList arguments{QStringLiteral("--output"), name, QStringLiteral("--mode"), mode};
    if (rightOf.isEmpty())
        arguments << QStringLiteral("--pos") << QStringLiteral("0x0") << QStringLiteral("--primary");
    else
        arguments << QStringLiteral("--right-of") << rightOf;
    return xrandr(arguments) && waitForMonitor(name, geometry);
}

bool MultiMonitorX::removeOutput(const QString &name)
{
    return xrandr({QStringLiteral("--output"), name, QStringLiteral("--off")}) && waitForMonitor(name, QRect());
}

bool MultiMonitorX::fillRoot(const QString &colour)
{
    return runClient(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), colour});
}

QImage MultiMonitorX::screenshot()
{
    QByteArray dump;
    if (!runClient(QStringLiteral("xwd"), {QStringLiteral("-root"), QStringLiteral("-silent")}, &dump))
        return {};
    QString error;
    const QImage image = XwdImage::decode(dump, &error);
    if (image.isNull())
        m_error = QStringLiteral("xwd -root: %1").arg(error);
    return image;
}
