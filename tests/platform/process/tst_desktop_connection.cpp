#include "platform/process/DesktopConnection.h"
#include "platform/runtime/App.h"

#include <QLoggingCategory>
#include <QtTest>

// While the desktop is being reached, Qt's platform messages wait, so that a failure can be
// told in one line; every other message, and the waiting ones once the desktop is there,
// reach the handler that was in place before.
class TestDesktopConnection : public QObject
{
    Q_OBJECT

private slots:
    void messagesReachThePreviousHandler();
};

namespace {

Q_LOGGING_CATEGORY(lcPlatformProbe, "qt.qpa.probe")

QStringList received;

void recordMessage(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    received << QStringLiteral("%1: %2").arg(QString::fromUtf8(context.category), text);
}

} // namespace

void TestDesktopConnection::messagesReachThePreviousHandler()
{
    QLoggingCategory::setFilterRules(QStringLiteral("dravik.lifecycle.debug=true"));
    const QtMessageHandler original = qInstallMessageHandler(recordMessage);
    {
        DesktopConnectionWatch watch;
        qCWarning(lcPlatformProbe) << "first platform message";
        qWarning("a warning");
        qCDebug(lcLifecycle) << "lifecycle";
        qCWarning(lcPlatformProbe) << "second platform message";
        QCOMPARE(received,
                 (QStringList{QStringLiteral("default: a warning"), QStringLiteral("dravik.lifecycle: lifecycle")}));

        QVERIFY(watch.reached());
        QCOMPARE(received.mid(2),
                 (QStringList{QStringLiteral("qt.qpa.probe: first platform message"),
                              QStringLiteral("qt.qpa.probe: second platform message")}));
        qCWarning(lcPlatformProbe) << "after";
        QCOMPARE(received.last(), QStringLiteral("qt.qpa.probe: after"));
    }
    // The watch is gone, and the handler before it is in place again.
    QVERIFY(qInstallMessageHandler(original) == recordMessage);
}

QTEST_APPLESS_MAIN(TestDesktopConnection)
#include "tst_desktop_connection.moc"
