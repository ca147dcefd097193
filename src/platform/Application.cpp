#include "platform/Application.h"

#include "platform/App.h"
#include "platform/ProgramEnd.h"
#include "platform/RuntimeError.h"

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
