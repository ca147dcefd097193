#include "platform/process/DesktopConnection.h"

#include "platform/runtime/Warning.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

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

// Qt's Wayland plugin says it could not reach the compositor in no category, and without
// the display's name: "Failed to create wl_display (No such file or directory)".
const QLatin1String kNoWaylandDisplay("Failed to create wl_display");
// What the X11 plugin's "could not connect to display " with no name means.
const QLatin1String kDisplayNotSet("DISPLAY is not set");

bool saysNoWaylandDisplay(const QString &text)
{
    return text.startsWith(kNoWaylandDisplay);
}

bool isPluginLoaderMessage(const HeldMessage &message)
{
    return message.category == "qt.qpa.plugin";
}

bool environmentNames(const char *name)
{
    return !qEnvironmentVariableIsEmpty(name);
}

// A platform plugin's words, naming the display it could not reach where they leave it out.
QString namingTheDisplay(const QString &text)
{
    if (saysNoWaylandDisplay(text)) {
        // Without WAYLAND_DISPLAY the Wayland library tries wayland-0.
        return QStringLiteral("could not connect to the Wayland display %1 %2")
            .arg(qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0")),
                 text.mid(kNoWaylandDisplay.size()).simplified());
    }
    if (text == QLatin1String("could not connect to display") && !environmentNames("DISPLAY"))
        return kDisplayNotSet;
    return text;
}

// Qt's own words: the platform plugin's warnings say what went wrong ("could not connect to
// display :99"); the plugin loader's and the fatal message's only that nothing could start.
QString reasonFrom(const QList<HeldMessage> &messages, const QString &fatalText)
{
    QStringList specific;
    QStringList general;
    for (const HeldMessage &message : messages)
        (isPluginLoaderMessage(message) ? general : specific) << namingTheDisplay(message.text.simplified());
    if (specific.isEmpty())
        specific = general;
    if (specific.isEmpty())
        specific << fatalText.section(QLatin1Char('\n'), 0, 0).simplified();
    return specific.join(QStringLiteral("; "));
}

[[noreturn]] void reportUnreachableDesktop(const QString &fatalText)
{
    QString reason;
    {
        const std::lock_guard lock(heldLock);
        reason = reasonFrom(held, fatalText);
    }
    if (!environmentNames("DISPLAY") && !environmentNames("WAYLAND_DISPLAY")) {
        reason = reason == kDisplayNotSet ? QStringLiteral("DISPLAY and WAYLAND_DISPLAY are not set")
                                          : reason + QStringLiteral(" (DISPLAY and WAYLAND_DISPLAY are not set)");
    }
    Warn(QStringLiteral("no desktop could be reached: ") + reason);
    // Nothing has been written and no window exists; unwinding the half-made application
    // object could only go wrong.
    std::_Exit(1);
}

void watchMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg)
        reportUnreachableDesktop(text);
    if (isPlatformMessage(context) || saysNoScreens(text) || saysNoWaylandDisplay(text)) {
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
        Warn(QStringLiteral("the desktop has no screen to show a window on"));
        return false;
    }
    for (const HeldMessage &message : messages)
        message.passTo(previousHandler);
    return true;
}
