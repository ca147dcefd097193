#include "startup/Module1.h"

#include "platform/App.h"
#include "platform/Panel3D.h"
#include "platform/ProgramEnd.h"
#include "saver/Form1.h"
#include "settings/ProgramSettings.h"
#include "settings_window/frmSSSettings.h"

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
        auto *settings = new frmSSSettings(EndProgram);
        settings->showModeless();
    } else {
        auto *saver = new Form1(EndProgram);
        saver->showModeless();
        saver->panYear().setVisible(true);
    }
}
