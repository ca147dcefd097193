#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// The few calls of systemd-logind's interface that xss-lock makes, on a private system bus of
// its own, for a test machine without logind: the manager hands out the one session
// (GetSessionByPID, GetSession) and a delay lock (Inhibit, a pipe's end); the session takes
// the idle and locked hints (SetIdleHint, SetLockedHint). Every call is kept, in calls(), for
// the test to read. Answered while the test's event loop runs.
class LogindStandIn : public QDBusVirtualObject
{
    Q_OBJECT

public:
    LogindStandIn();
    ~LogindStandIn() override;

    // Starts the bus and takes logind's name on it; false, with errorString(), on failure.
    bool start(int timeoutMs = 10000);
    // For DBUS_SYSTEM_BUS_ADDRESS.
    QString address() const { return m_address; }
    QString errorString() const { return m_error; }
    // "Member(arguments)" for each call, in order.
    QStringList calls() const { return m_calls; }

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    QProcess m_bus;
    QString m_address;
    QString m_error;
    QStringList m_calls;
    std::unique_ptr<QDBusConnection> m_connection;
};
