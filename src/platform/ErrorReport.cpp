#include "ErrorReport.h"

#include "App.h"
#include "RuntimeError.h"
#include "Termination.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace {

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

void ReportUncaughtError(const RuntimeError &error)
{
    report(error.message());
}

void ReportUncaughtError(const char *what)
{
    report(QStringLiteral("Unexpected error: %1").arg(QString::fromLocal8Bit(what)));
}
