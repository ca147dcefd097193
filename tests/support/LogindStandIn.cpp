#include "LogindStandIn.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>

#include <unistd.h>

namespace {

constexpr auto kService = "org.freedesktop.login1";
constexpr auto kManagerPath = "/org/freedesktop/login1";
constexpr auto kSessionPath = "/org/freedesktop/login1/session/self";

} // namespace

LogindStandIn::LogindStandIn() = default;

LogindStandIn::~LogindStandIn()
{
    if (m_connection)
        QDBusConnection::disconnectFromBus(m_connection->name());
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.terminate();
        if (!m_bus.waitForFinished(5000))
            m_bus.kill();
        m_bus.waitForFinished(5000);
    }
}

bool LogindStandIn::start(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // A bus daemon of its own (with the session bus's rules, which let anyone own a name),
    // its address the first line it writes.
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                 QStringLiteral("--print-address=1")});
    while (!m_bus.canReadLine()) {
        if (deadline.hasExpired() || !m_bus.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            m_error = QStringLiteral("dbus-daemon gave no address: ") + m_bus.errorString();
            return false;
        }
    }
    m_address = QString::fromLocal8Bit(m_bus.readLine()).trimmed();
    m_connection = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_address, QStringLiteral("logind-stand-in-%1").arg(quintptr(this))));
    if (!m_connection->isConnected() || !m_connection->registerService(QLatin1String(kService))
        || !m_connection->registerVirtualObject(QLatin1String(kManagerPath), this)
        || !m_connection->registerVirtualObject(QLatin1String(kSessionPath), this)) {
        m_error = QStringLiteral("cannot serve logind's name: ") + m_connection->lastError().message();
        return false;
    }
    return true;
}

QString LogindStandIn::introspect(const QString &) const
{
    return {};
}

bool LogindStandIn::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    QStringList arguments;
    for (const QVariant &argument : message.arguments())
        arguments << argument.toString();
    const QString member = message.member();
    m_calls << QStringLiteral("%1(%2)").arg(member, arguments.join(QLatin1Char(',')));

    QDBusMessage reply;
    if (member == QLatin1String("GetSessionByPID") || member == QLatin1String("GetSession")) {
        reply = message.createReply(QVariant::fromValue(QDBusObjectPath(QLatin1String(kSessionPath))));
    } else if (member == QLatin1String("Inhibit")) {
        // The lock is held while the holder keeps its end open; the other end is dropped.
        int ends[2];
        if (::pipe(ends) != 0)
            return false;
        reply = message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[0])));
        ::close(ends[0]);
        ::close(ends[1]);
    } else if (member == QLatin1String("SetIdleHint") || member == QLatin1String("SetLockedHint")) {
        reply = message.createReply();
    } else {
        reply = message.createErrorReply(QDBusError::UnknownMethod, member);
    }
    return connection.send(reply);
}
