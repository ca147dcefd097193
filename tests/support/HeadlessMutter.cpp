#include "HeadlessMutter.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace {

constexpr auto kDisplayConfig = "org.gnome.Mutter.DisplayConfig";
constexpr auto kScreenCast = "org.gnome.Mutter.ScreenCast";
constexpr auto kRemoteDesktop = "org.gnome.Mutter.RemoteDesktop";
constexpr auto kWaylandSocket = "wayland-0";
constexpr int kCallTimeoutMs = 20000;

// Each service is owned under the name of its interface, its object path spelled the same way.
QString objectPathOf(const QString &interface)
{
    return QLatin1Char('/') + QString(interface).replace(QLatin1Char('.'), QLatin1Char('/'));
}

// Where a stream says it started: the D-Bus signal carries the node, the message its path.
class StreamStarts : public QObject
{
    Q_OBJECT

public:
    QMap<QString, quint32> nodes;

public slots:
    void added(const QDBusMessage &message)
    {
        if (!message.arguments().isEmpty())
            nodes.insert(message.path(), message.arguments().constFirst().toUInt());
    }
};

} // namespace

HeadlessMutter::HeadlessMutter() = default;

HeadlessMutter::~HeadlessMutter()
{
    stop();
}

QStringList HeadlessMutter::missingPrograms()
{
    QStringList missing;
    for (const char *program : {"dbus-daemon", "mutter", "pipewire", "wireplumber", "gst-launch-1.0"}) {
        if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
            missing << QLatin1String(program);
    }
    return missing;
}

bool HeadlessMutter::startProcess(QProcess &process, const QString &program, const QStringList &arguments,
                                  const QString &logName)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    if (!m_busAddress.isEmpty())
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    // None of them may outlive a test that dies.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!logName.isEmpty())
        process.setStandardOutputFile(m_runtimeDir.filePath(logName));
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) {
        m_error = QStringLiteral("%1 did not start: %2").arg(program, process.errorString());
        return false;
    }
    return true;
}

bool HeadlessMutter::start(const QList<QSize> &monitorSizes, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    if (!m_runtimeDir.isValid()) {
        m_error = QStringLiteral("no runtime directory");
        return false;
    }
    QFile::setPermissions(m_runtimeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A session bus of its own, its address the first line the daemon writes.
    if (!startProcess(m_busDaemon, QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                       QStringLiteral("--print-address=1")},
                      {}))
        return false;
    while (!m_busDaemon.canReadLine()) {
        if (deadline.hasExpired() || !m_busDaemon.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            m_error = QStringLiteral("the session bus gave no address");
            return false;
        }
    }
    m_busAddress = QString::fromLocal8Bit(m_busDaemon.readLine()).trimmed();
    m_bus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_busAddress, QStringLiteral("headless-mutter-%1").arg(quintptr(this))));
    if (!m_bus->isConnected()) {
        m_error = QStringLiteral("cannot connect to the session bus: ") + m_bus->lastError().message();
        return false;
    }

    QStringList arguments{QStringLiteral("--headless"), QStringLiteral("--wayland"), QStringLiteral("--no-x11"),
                          QStringLiteral("--wayland-display"), QLatin1String(kWaylandSocket)};
    for (const QSize &size : monitorSizes)
        arguments << QStringLiteral("--virtual-monitor")
                  << QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    if (!startProcess(m_pipewire, QStringLiteral("pipewire"), {}, QStringLiteral("pipewire.log"))
        || !startProcess(m_sessionManager, QStringLiteral("wireplumber"), {}, QStringLiteral("wireplumber.log"))
        || !startProcess(m_mutter, QStringLiteral("mutter"), arguments, QStringLiteral("mutter.log")))
        return false;

    const QString socket = m_runtimeDir.filePath(QLatin1String(kWaylandSocket));
    const bool up = QTest::qWaitFor(
        [&] {
            return m_mutter.state() == QProcess::NotRunning
                || (QFile::exists(socket) && monitors().size() == monitorSizes.size());
        },
        int(qMax<qint64>(1, deadline.remainingTime())));
    if (!up || m_mutter.state() == QProcess::NotRunning) {
        m_error = QStringLiteral("the compositor did not come up with %1 monitors").arg(monitorSizes.size());
        return false;
    }
    return startRemoteDesktop();
}

void HeadlessMutter::stop()
{
    if (m_bus && !m_remoteSession.isEmpty())
        call(m_remoteSession, QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"), QStringLiteral("Stop"), {});
    m_remoteSession.clear();
    m_screenCastSession.clear();
    m_streams.clear();
    for (QProcess *process : {&m_mutter, &m_sessionManager, &m_pipewire, &m_busDaemon}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(10000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    if (m_bus) {
        QDBusConnection::disconnectFromBus(m_bus->name());
        m_bus.reset();
    }
    m_busAddress.clear();
}

QString HeadlessMutter::logTail(int lines) const
{
    QString tail;
    for (const char *name : {"mutter.log", "pipewire.log", "wireplumber.log"}) {
        QFile log(m_runtimeDir.filePath(QLatin1String(name)));
        if (!log.open(QIODevice::ReadOnly))
            continue;
        const QStringList all = QString::fromLocal8Bit(log.readAll()).split(QLatin1Char('\n'));
        tail += QStringLiteral("--- %1 ---\n").arg(QLatin1String(name))
            + all.mid(qMax(0, all.size() - lines)).join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    return tail;
}

QProcessEnvironment HeadlessMutter::clientEnvironment(QProcessEnvironment environment) const
{
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("XAUTHORITY"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_runtimeDir.filePath(QLatin1String(kWaylandSocket)));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    return environment;
}

bool HeadlessMutter::call(const QString &path, const QString &interface, const QString &method,
                          const QVariantList &arguments, QVariantList *results)
{
    const QString owner = interface.section(QLatin1Char('.'), 0, 3);
    QDBusMessage message = QDBusMessage::createMethodCall(owner, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus->call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_error = QStringLiteral("%1.%2 failed: %3").arg(interface, method, reply.errorMessage());
        return false;
    }
    if (results)
        *results = reply.arguments();
    return true;
}

QList<HeadlessMutter::Monitor> HeadlessMutter::monitors()
{
    const QString interface = QLatin1String(kDisplayConfig);
    QVariantList results;
    if (!call(objectPathOf(interface), interface, QStringLiteral("GetCurrentState"), {}, &results)
        || results.size() < 3)
        return {};
    // a(iiduba(ssss)a{sv}): x, y, scale, transform, primary, the monitors shown there, properties.
    QList<Monitor> found;
    const QDBusArgument logical = results.at(2).value<QDBusArgument>();
    logical.beginArray();
    while (!logical.atEnd()) {
        int x = 0;
        int y = 0;
        double scale = 1;
        uint transform = 0;
        bool primary = false;
        Monitor monitor;
        logical.beginStructure();
        logical >> x >> y >> scale >> transform >> primary;
        logical.beginArray();
        while (!logical.atEnd()) {
            QString vendor;
            QString product;
            QString serial;
            logical.beginStructure();
            logical >> monitor.connector >> vendor >> product >> serial;
            logical.endStructure();
        }
        logical.endArray();
        QVariantMap properties;
        logical >> properties;
        logical.endStructure();
        monitor.primary = primary;
        monitor.geometry = QRect(x, y, 0, 0);
        found << monitor;
    }
    logical.endArray();

    // The sizes come from the current mode of each physical monitor: a((ssss)a(siiddada{sv})a{sv}).
    const QDBusArgument physical = results.at(1).value<QDBusArgument>();
    QMap<QString, QSize> sizes;
    physical.beginArray();
    while (!physical.atEnd()) {
        QString connector;
        QString vendor;
        QString product;
        QString serial;
        physical.beginStructure();
        physical.beginStructure();
        physical >> connector >> vendor >> product >> serial;
        physical.endStructure();
        physical.beginArray();
        while (!physical.atEnd()) {
            QString id;
            int width = 0;
            int height = 0;
            double refresh = 0;
            double preferredScale = 0;
            QList<double> scales;
            QVariantMap modeProperties;
            physical.beginStructure();
            physical >> id >> width >> height >> refresh >> preferredScale >> scales >> modeProperties;
            physical.endStructure();
            if (modeProperties.value(QStringLiteral("is-current")).toBool())
                sizes.insert(connector, QSize(width, height));
        }
        physical.endArray();
        QVariantMap properties;
        physical >> properties;
        physical.endStructure();
    }
    physical.endArray();
    for (Monitor &monitor : found)
        monitor.geometry.setSize(sizes.value(monitor.connector));
    return found;
}

bool HeadlessMutter::startRemoteDesktop()
{
    const QString remoteDesktop = QLatin1String(kRemoteDesktop);
    const QString screenCast = QLatin1String(kScreenCast);
    QVariantList results;
    if (!call(objectPathOf(remoteDesktop), remoteDesktop, QStringLiteral("CreateSession"), {}, &results))
        return false;
    m_remoteSession = results.constFirst().value<QDBusObjectPath>().path();

    QDBusMessage idQuery = QDBusMessage::createMethodCall(
        remoteDesktop, m_remoteSession, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    idQuery.setArguments({QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"), QStringLiteral("SessionId")});
    const QDBusMessage idReply = m_bus->call(idQuery, QDBus::Block, kCallTimeoutMs);
    if (idReply.type() != QDBusMessage::ReplyMessage) {
        m_error = QStringLiteral("no remote-desktop session id: ") + idReply.errorMessage();
        return false;
    }
    const QString sessionId = idReply.arguments().constFirst().value<QDBusVariant>().variant().toString();

    // The screen casts belong to the remote-desktop session: they start with it, and absolute
    // pointer moves are given within one of their streams.
    const QVariantMap castProperties{{QStringLiteral("remote-desktop-session-id"), sessionId}};
    if (!call(objectPathOf(screenCast), screenCast, QStringLiteral("CreateSession"), {castProperties}, &results))
        return false;
    m_screenCastSession = results.constFirst().value<QDBusObjectPath>().path();

    StreamStarts starts;
    for (const Monitor &monitor : monitors()) {
        // The pointer drawn into the frames, so that a capture shows whether it is hidden.
        const QVariantMap recordProperties{{QStringLiteral("cursor-mode"), QVariant::fromValue(uint(1))}};
        if (!call(m_screenCastSession, QStringLiteral("org.gnome.Mutter.ScreenCast.Session"),
                  QStringLiteral("RecordMonitor"), {monitor.connector, recordProperties}, &results))
            return false;
        const QString stream = results.constFirst().value<QDBusObjectPath>().path();
        m_streams.insert(monitor.connector, {stream, 0});
        m_bus->connect(screenCast, stream, QStringLiteral("org.gnome.Mutter.ScreenCast.Stream"),
                       QStringLiteral("PipeWireStreamAdded"), &starts, SLOT(added(QDBusMessage)));
    }
    if (!call(m_remoteSession, QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"), QStringLiteral("Start"), {}))
        return false;
    if (!QTest::qWaitFor([&] { return starts.nodes.size() == m_streams.size(); }, kCallTimeoutMs)) {
        m_error =
            QStringLiteral("the screen casts did not start (%1 of %2)").arg(starts.nodes.size()).arg(m_streams.size());
        return false;
    }
    for (auto stream = m_streams.begin(); stream != m_streams.end(); ++stream)
        stream->second = starts.nodes.value(stream->first);
    return true;
}

QImage HeadlessMutter::capture(const QString &connector)
{
    if (!m_streams.contains(connector)) {
        m_error = QStringLiteral("no screen cast of ") + connector;
        return {};
    }
    const QString file = m_runtimeDir.filePath(QStringLiteral("capture-%1.png").arg(connector));
    QFile::remove(file);
    QProcess gstreamer;
    if (!startProcess(gstreamer, QStringLiteral("gst-launch-1.0"),
                      {QStringLiteral("-q"), QStringLiteral("pipewiresrc"),
                       QStringLiteral("path=%1").arg(m_streams.value(connector).second),
                       QStringLiteral("num-buffers=1"), QStringLiteral("!"), QStringLiteral("videoconvert"),
                       QStringLiteral("!"), QStringLiteral("pngenc"), QStringLiteral("!"), QStringLiteral("filesink"),
                       QStringLiteral("location=") + file},
                      QStringLiteral("capture.log")))
        return {};
    if (!gstreamer.waitForFinished(kCallTimeoutMs) || gstreamer.exitStatus() != QProcess::NormalExit
        || gstreamer.exitCode() != 0) {
        gstreamer.kill();
        gstreamer.waitForFinished(5000);
        QFile log(m_runtimeDir.filePath(QStringLiteral("capture.log")));
        log.open(QIODevice::ReadOnly);
        m_error = QStringLiteral("no frame of %1: %2").arg(connector, QString::fromLocal8Bit(log.readAll()));
        return {};
    }
    QImage frame(file);
    if (frame.isNull())
        m_error = QStringLiteral("the frame of %1 is no picture").arg(connector);
    return frame;
}

bool HeadlessMutter::movePointer(double dx, double dy)
{
    return call(m_remoteSession, QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"),
                QStringLiteral("NotifyPointerMotionRelative"), {dx, dy});
}

bool HeadlessMutter::warpPointer(const QString &connector, double x, double y)
{
    if (!m_streams.contains(connector)) {
        m_error = QStringLiteral("no screen cast of ") + connector;
        return false;
    }
    return call(m_remoteSession, QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"),
                QStringLiteral("NotifyPointerMotionAbsolute"), {m_streams.value(connector).first, x, y});
}

#include "HeadlessMutter.moc"
