#include "Module1.h"

#include "App.h"
#include "Form1.h"
#include "LifecycleLog.h"
#include "Panel3D.h"
#include "ShowCursor.h"
#include "Termination.h"
#include "frmSSSettings.h"

qint32 IntervalSeconds = 0;
qint32 IntervalMs = 0;
QString PhotoDir;

namespace {

constexpr int kSettingsModeStartMs = 1000;

bool isSettingsMode(const QString &commandLine)
{
    return commandLine.left(2) == QStringLiteral("/c");
}

} // namespace

void Main()
{
    if (App::PrevInstance()) {
        qCDebug(lcLifecycle) << "previous instance found";
        EndProgram();
    }

    if (isSettingsMode(App::Command())) {
        IntervalMs = kSettingsModeStartMs;
        auto *settings = new frmSSSettings;
        settings->showModeless();
    } else {
        auto *saver = new Form1;
        saver->showModeless();
        saver->panYear().setVisible(true);
    }
}

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
    TerminateProgram(0);
}
