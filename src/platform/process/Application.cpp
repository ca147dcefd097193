#include "platform/process/Application.h"

#include "platform/process/ProgramEnd.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"

#include <QIcon>

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(App::Title());
    setApplicationVersion(App::Version());
    setWindowIcon(QIcon(QStringLiteral(":/pictures/dravik.ico")));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    if (HeldBackByErrorReport(receiver, event))
        return true;
    try {
        return QApplication::notify(receiver, event);
    } catch (const RuntimeError &error) {
        ReportUncaughtError(error);
    } catch (const std::exception &error) {
        ReportUncaughtError(error.what());
    }
}
