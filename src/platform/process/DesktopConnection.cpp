#include "platform/process/DesktopConnection.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// A message as the handler received it; the context's pointers do not outlive the call.
struct HeldMessage
{
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;

    void passTo(QtMessageHandler handler) const
    {
        const QMessageLogContext context(file.constData(), line, function.constData(), category.constData());
        handler(type, context, text);
    }
};

QtMessageHandler previousHandler = nullptr;
// Platform plugins may report from their own threads.
std::mutex heldLock;
QList<HeldMessage> held;

bool isPlatformMessage(const QMessageLogContext &context)
{
    return context.category && std::strncmp(context.category, "qt.qpa.", 7) == 0;
}

// QApplication's own warning on a platform without screens, in no category.
bool saysNoScreens(const QString &text)
{
    return text.startsWith(QLatin1String("no screens available"));
}

bool isPluginLoaderMessage(const HeldMessage &message)
{
    return message.category == "qt.qpa.plugin";
}

// Qt's own words: the platform plugin's warnings say what went wrong ("could not connect to
// display :99"); the plugin loader's and the fatal message's only that nothing could start.
QString reasonFrom(const QList<HeldMessage> &messages, const QString &fatalText)
{
    QStringList specific;
    QStringList general;
    for (const HeldMessage &message : messages)
        (isPluginLoaderMessage(message) ? general : specific) << message.text.simplified();
    if (specific.isEmpty())
        specific = general;
    if (specific.isEmpty())
        specific << fatalText.section(QLatin1Char('\n'), 0, 0).simplified();
    return specific.join(QStringLiteral("; "));
}

bool environmentNames(const char *name)
{
    return !qEnvironmentVariableIsEmpty(name);
}

[[noreturn]] void reportUnreachableDesktop(const QString &fatalText)
{
    QString reason;
    {
        const std::lock_guard lock(heldLock);
        reason = reasonFrom(held, fatalText);
    }
    if (!environmentNames("DISPLAY") && !environmentNames("WAYLAND_DISPLAY"))
        reason += QStringLiteral(" (DISPLAY and WAYLAND_DISPLAY are not set)");
    std::fprintf(stderr, "Dravik2001: no desktop could be reached: %s\n", reason.toLocal8Bit().constData());
    // Nothing has been written and no window exists; unwinding the half-made application
    // object could only go wrong.
    std::_Exit(1);
}

void watchMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg)
        reportUnreachableDesktop(text);
    if (isPlatformMessage(context) || saysNoScreens(text)) {
        const std::lock_guard lock(heldLock);
        held.append({type, context.file, context.line, context.function, context.category, text});
        return;
    }
    previousHandler(type, context, text);
}

} // namespace

DesktopConnectionWatch::DesktopConnectionWatch()
{
    previousHandler = qInstallMessageHandler(watchMessage);
}

DesktopConnectionWatch::~DesktopConnectionWatch()
{
    (void)reached();
}

bool DesktopConnectionWatch::reached()
{
    if (!m_watching)
        return true;
    m_watching = false;
    qInstallMessageHandler(previousHandler);
    QList<HeldMessage> messages;
    {
        const std::lock_guard lock(heldLock);
        messages.swap(held);
    }
    // Every window would need a screen, and Qt ends the program at the first one.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && QGuiApplication::screens().isEmpty()) {
        std::fprintf(stderr, "Dravik2001: the desktop has no screen to show a window on\n");
        return false;
    }
    for (const HeldMessage &message : messages)
        message.passTo(previousHandler);
    return true;
}
