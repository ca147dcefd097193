#include "platform/process/SessionBus.h"

#include <QByteArray>
#include <QtGlobal>

#include <sys/stat.h>

namespace {

// The bus of a session started by the user's service manager, found without any address.
bool runtimeDirectoryHasBus()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return false;
    struct stat status = {};
    return ::stat((runtime + "/bus").constData(), &status) == 0 && S_ISSOCK(status.st_mode);
}

} // namespace

void KeepFromStartingASessionBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || runtimeDirectoryHasBus())
        return;
    // No transport of this name exists, so connecting fails at once, without a helper process.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}
