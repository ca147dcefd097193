#include "InstallCommand.h"
#include "platform/files/FileName.h"
#include "platform/runtime/App.h"

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
    // The arguments by their bytes: a directory whose name is not UTF-8 must arrive whole.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << FileName::fromBytes(argv[i]);
    return InstallCommand::run(arguments, out, err);
}
