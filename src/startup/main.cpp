#include "platform/process/Application.h"
#include "platform/process/BrokenPipe.h"
#include "platform/process/DesktopConnection.h"
#include "platform/process/InstanceLock.h"
#include "platform/process/ProgramEnd.h"
#include "platform/process/SessionBus.h"
#include "platform/process/TerminationSignals.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/Warning.h"
#include "startup/DesktopBackendChoice.h"
#include "startup/Module1.h"
#include "startup/SaverTarget.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace {

// The daemon's window for this monitor, null when the variable is not set.
QString daemonWindow()
{
    return qEnvironmentVariableIsSet("XSCREENSAVER_WINDOW") ? qEnvironmentVariable("XSCREENSAVER_WINDOW") : QString();
}

} // namespace

int main(int argc, char **argv)
{
    // A desktop may stop the program at any moment, also while Qt starts up (its threads
    // inherit the mask); the handlers installed below take what came meanwhile.
    TerminationSignals::holdBack();
    IgnoreBrokenPipe();
    // Taken before Qt removes the options it recognises from argv.
    const QString commandLine = App::commandLineFrom(argc, argv);
    const SaverTarget requested =
        IsSettingsMode(commandLine) ? SaverTarget() : SaverTargetFrom(App::argumentsFrom(argc, argv), daemonWindow());
    if (!requested.warning.isEmpty())
        Warn(requested.warning + u'.');
    KeepFromStartingASessionBus();
    preferX11ForWindowsOfOtherPrograms(requested);
    DesktopConnectionWatch desktopConnection;
    Application application(argc, argv);
    if (!desktopConnection.reached())
        return 1;
    const SaverTarget target = targetOnThisDesktop(requested);
    if (!target.warning.isEmpty() && target.warning != requested.warning)
        Warn(target.warning + u'.');
    // A daemon runs a copy per monitor and one for its preview, on purpose; a full-screen
    // saver runs once.
    std::optional<InstanceLock> instanceLock;
    if (!target.drawsIntoAWindow())
        instanceLock.emplace();
    App::setStartupFacts(commandLine, instanceLock && instanceLock->anotherInstanceRuns());
    const TerminationSignals terminationSignals;

    std::unique_ptr<QWidget> window;
    try {
        window = Main(target);
    } catch (const RuntimeError &error) {
        ReportUncaughtError(error);
    } catch (const std::exception &error) {
        ReportUncaughtError(error.what());
    }
    return Application::exec();
}
