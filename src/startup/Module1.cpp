#include "startup/Module1.h"

#include "platform/controls/Panel3D.h"
#include "platform/desktop/HostWindow.h"
#include "platform/process/ProgramEnd.h"
#include "platform/runtime/App.h"
#include "platform/runtime/Warning.h"
#include "saver/Form1.h"
#include "saver/FullScreenPresentation.h"
#include "saver/HostedPresentation.h"
#include "settings/ProgramSettings.h"
#include "settings_window/frmSSSettings.h"
#include "startup/DesktopBackendChoice.h"

#include <utility>

namespace {

constexpr int kSettingsModeStartMs = 1000;

constexpr int kExitStatusNoWindow = 1;

// Where saver mode draws: over the full screen, or into a window of another program.
std::unique_ptr<Presentation> presentationFor(const SaverTarget &target)
{
    const std::unique_ptr<DesktopBackend> desktop = chosenDesktopBackend();
    QString why;
    std::unique_ptr<HostWindow> host;
    switch (target.kind) {
    case SaverTarget::Kind::FullScreen:
        return std::make_unique<FullScreenPresentation>();
    case SaverTarget::Kind::RootWindow:
        host = desktop->rootWindow(&why);
        break;
    case SaverTarget::Kind::Window:
        host = desktop->findHostWindow(target.window, &why);
        break;
    }
    if (!host) {
        Warn(why + u'.');
        TerminateProgram(kExitStatusNoWindow);
    }
    return std::make_unique<HostedPresentation>(std::move(host));
}

} // namespace

bool IsSettingsMode(const QString &commandLine)
{
    return commandLine.left(2) == QStringLiteral("/c");
}

std::unique_ptr<QWidget> Main(const SaverTarget &target)
{
    if (App::PrevInstance()) {
        qCDebug(lcLifecycle) << "previous instance found";
        EndProgram();
    }

    if (IsSettingsMode(App::Command())) {
        IntervalMs = kSettingsModeStartMs;
        auto settings = std::make_unique<frmSSSettings>(EndProgram);
        settings->showModeless();
        return settings;
    }
    auto saver = std::make_unique<Form1>(EndProgram, presentationFor(target));
    saver->showModeless();
    saver->panYear().setVisible(true);
    return saver;
}
