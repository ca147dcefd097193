#include "platform/runtime/App.h"

#include "platform/runtime/ProgramVersion.h"

#include <QStringList>

namespace {

struct StartupFacts
{
    QString commandLine;
    bool prevInstance = false;
};

StartupFacts &facts()
{
    static StartupFacts instance;
    return instance;
}

} // namespace

namespace App {

QString Title()
{
    return QString::fromUtf8(ProgramVersion::productName);
}

QString Version()
{
    return QString::fromUtf8(ProgramVersion::fileVersion);
}

QString Command()
{
    return facts().commandLine;
}

bool PrevInstance()
{
    return facts().prevInstance;
}

void setStartupFacts(const QString &commandLine, bool prevInstance)
{
    facts() = {commandLine, prevInstance};
}

QStringList argumentsFrom(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QString commandLineFrom(int argc, char **argv)
{
    return argumentsFrom(argc, argv).join(QLatin1Char(' '));
}

} // namespace App

Q_LOGGING_CATEGORY(lcLifecycle, "dravik.lifecycle", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTiming, "dravik.timing", QtWarningMsg)
