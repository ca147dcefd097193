#include "platform/App.h"
#include "platform/Application.h"
#include "platform/BrokenPipe.h"
#include "platform/DesktopConnection.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramEnd.h"
#include "platform/RuntimeError.h"
#include "platform/TerminationSignals.h"
#include "startup/Module1.h"

int main(int argc, char **argv)
{
    IgnoreBrokenPipe();
    // Taken before Qt removes the options it recognises from argv.
    const QString commandLine = App::commandLineFrom(argc, argv);
    DesktopConnectionWatch desktopConnection;
    Application application(argc, argv);
    desktopConnection.reached();
    const InstanceLock instanceLock;
    App::setStartupFacts(commandLine, instanceLock.anotherInstanceRuns());
    const TerminationSignals terminationSignals;

    try {
        Main();
    } catch (const RuntimeError &error) {
        ReportUncaughtError(error);
    } catch (const std::exception &error) {
        ReportUncaughtError(error.what());
    }
    return Application::exec();
}
