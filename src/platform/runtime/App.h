#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

// The facts about this run that the windowing layer hands the program: its title, the
// command line it was started with and whether another copy is already running.
namespace App {

// The application title; also the settings store's application name.
QString Title();
// The file and product version.
QString Version();
// The arguments after the program name, exactly as received, joined by single blanks.
QString Command();
// True when another copy of the program was already running at start-up.
bool PrevInstance();

// Recorded once by the entry point, before any window exists.
void setStartupFacts(const QString &commandLine, bool prevInstance);
// The raw arguments after the program name (argv[0]), each as received.
QStringList argumentsFrom(int argc, char **argv);
// Joins raw arguments the way Command() reports them.
QString commandLineFrom(int argc, char **argv);

} // namespace App

// How the program starts and ends: which handlers ran and what the cursor count was.
// Off by default; QT_LOGGING_RULES="dravik.lifecycle.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcLifecycle)

// How long the handlers of the user-interface thread take, one line a handler run.
// Off by default; QT_LOGGING_RULES="dravik.timing.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcTiming)
