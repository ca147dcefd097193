#include "App.h"
#include "Application.h"
#include "ErrorReport.h"
#include "InstanceLock.h"
#include "Module1.h"
#include "RuntimeError.h"
#include "TerminationSignals.h"

int main(int argc, char **argv)
{
    // Taken before Qt removes the options it recognises from argv.
    const QString commandLine = App::commandLineFrom(argc, argv);
    Application application(argc, argv);
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
