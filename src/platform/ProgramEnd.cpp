#include "platform/ProgramEnd.h"

#include "platform/App.h"
#include "platform/RuntimeError.h"
#include "platform/ShowCursor.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kExitStatusEnded = 0;
constexpr int kExitStatusRuntimeError = 1;

[[noreturn]] void report(const QString &text)
{
    // stderr first: it survives even when there is nobody to dismiss the box.
    std::fprintf(stderr, "%s: %s\n", qPrintable(App::Title()), qPrintable(text));
    std::fflush(stderr);
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QMessageBox box(QMessageBox::Critical, App::Title(), text, QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    TerminateProgram(kExitStatusRuntimeError);
}

} // namespace

void RestoreCursor()
{
    qint16 count = 0;
    do {
        count = static_cast<qint16>(ShowCursor(-1));
    } while (count <= 0);
    qCDebug(lcLifecycle) << "RestoreCursor: display count" << count;
}

void EndProgram()
{
    qCDebug(lcLifecycle) << "EndProgram";
    RestoreCursor();
    TerminateProgram(kExitStatusEnded);
}

void TerminateProgram(int exitStatus)
{
    // Settings are written through at every save, so only the standard streams hold
    // anything that still needs to leave the process.
    std::fflush(nullptr);
    std::_Exit(exitStatus);
}

void ReportUncaughtError(const RuntimeError &error)
{
    report(error.message());
}

void ReportUncaughtError(const char *what)
{
    report(QStringLiteral("Unexpected error: %1").arg(QString::fromLocal8Bit(what)));
}
