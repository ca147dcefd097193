#include "platform/process/ProgramEnd.h"

#include "platform/desktop/ShowCursor.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/Warning.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>

#include <cstdlib>

namespace {

constexpr int kExitStatusEnded = 0;
constexpr int kExitStatusRuntimeError = 1;

bool reporting = false;
QPointer<QMessageBox> reportBox;

bool isPartOfReport(const QObject *object)
{
    if (!reportBox)
        return false;
    if (object == reportBox->windowHandle())
        return true;
    for (; object; object = object->parent()) {
        if (object == reportBox)
            return true;
    }
    return false;
}

bool runsAHandler(QEvent::Type type)
{
    switch (type) {
    case QEvent::Timer:
    case QEvent::Close:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

[[noreturn]] void report(const QString &text)
{
    reporting = true;
    // stderr first: it survives even when there is nobody to dismiss the box.
    Warn(text);
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QMessageBox box(QMessageBox::Critical, App::Title(), text, QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        reportBox = &box;
        const ShownPointer pointer;
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

bool HeldBackByErrorReport(const QObject *receiver, QEvent *event)
{
    if (!reporting || !runsAHandler(event->type()) || isPartOfReport(receiver))
        return false;
    // A window closed behind the report stays as it is.
    if (event->type() == QEvent::Close)
        event->ignore();
    return true;
}

void ReportUncaughtError(const RuntimeError &error)
{
    report(error.message());
}

void ReportUncaughtError(const char *what)
{
    report(QStringLiteral("Unexpected error: %1").arg(QString::fromLocal8Bit(what)));
}
