#include "InstallCommand.h"
#include "platform/App.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dravik-install"));
    QCoreApplication::setApplicationVersion(App::Version());

    QTextStream out(stdout);
    QTextStream err(stderr);
    return InstallCommand::run(QCoreApplication::arguments().mid(1), out, err);
}
