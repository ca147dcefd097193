#include "InstallCommand.h"

#include "DaemonRegistration.h"
#include "PhotoDirectoryCheck.h"
#include "ReadableName.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"
#include "settings/IntervalCycle.h"
#include "settings/ProgramSettings.h"
#include "settings/store/SettingsStore.h"

#include <QTextStream>

namespace InstallCommand {

namespace {

const QString kUsage =
    QStringLiteral("Usage: dravik-install PHOTO_DIR       record the photo directory the saver shows\n"
                   "       dravik-install --interval N   record the seconds between photographs\n"
                   "       dravik-install --xscreensaver list the saver in ~/.xscreensaver and enable it\n"
                   "       dravik-install --show         print the settings file, both values and whether\n"
                   "                                     the saver is listed in ~/.xscreensaver\n"
                   "       dravik-install --help         print this help\n"
                   "       dravik-install --version      print the version\n"
                   "\n"
                   "N is one of 1, 2, 3, 4, 5, 10, 15, ..., 60, as in the saver's settings window.\n"
                   "PHOTO_DIR must hold pictures the saver can show; captions are decoded from the two\n"
                   "characters after a directory named \"draviks\".\n"
                   "--xscreensaver adds \"dravik2001 --root\" to the daemon's programs: list, or enables\n"
                   "it there, and changes no other line; ~/.xscreensaver must exist (xscreensaver-settings\n"
                   "writes it when a setting is first changed).\n"
                   "\n"
                   "Exit status: 0 done, 1 refused (nothing written), 2 wrong usage,\n"
                   "3 the settings file or ~/.xscreensaver could not be read or written.\n");

// The texts the settings window can save, in its cycle's order.
QStringList intervalChoices()
{
    QStringList choices;
    qint32 intervalMs = 1000;
    do {
        choices << IntervalSecondsText(intervalMs);
        intervalMs = IntervalStepUp(intervalMs);
    } while (intervalMs != 1000);
    return choices;
}

QString quoted(const QString &value)
{
    return QLatin1Char('"') + value + QLatin1Char('"');
}

void showSetting(QTextStream &out, const QString &key, const std::optional<QString> &value, const QString &defaultValue)
{
    if (value)
        out << key << ": " << ReadableName::quoted(*value) << '\n';
    else
        out << key << ": not set; the saver uses " << quoted(defaultValue) << '\n';
}

int show(QTextStream &out, QTextStream &err)
{
    out << "Settings file: " << SettingsFilePath(App::Title()) << '\n';
    showSetting(out, SettingNames::Interval, ProgramSettings::StoredInterval(), SettingNames::IntervalDefault);
    showSetting(out, SettingNames::DraviksDir, ProgramSettings::StoredPhotoDirectory(),
                SettingNames::DraviksDirDefault);
    return DaemonRegistration::showRegistration(out, err);
}

int recordInterval(const QString &seconds, QTextStream &out, QTextStream &err)
{
    const QStringList choices = intervalChoices();
    if (!choices.contains(seconds)) {
        err << "dravik-install: " << quoted(seconds) << " is not an interval the saver offers; choose one of "
            << choices.join(QStringLiteral(", ")) << " seconds.\n";
        return Refused;
    }
    ProgramSettings::SaveInterval(seconds);
    out << "Interval: " << quoted(seconds) << '\n';
    return Success;
}

int recordDirectory(const QString &directory, QTextStream &out, QTextStream &err)
{
    const QString refusal = PhotoDirectoryCheck::refusal(directory);
    if (!refusal.isEmpty()) {
        err << "dravik-install: " << refusal << "; nothing was recorded.\n";
        return Refused;
    }
    const QString recorded = PhotoDirectoryCheck::recordedForm(directory);
    if (!PhotoDirectoryCheck::hasCaptionName(recorded))
        err << "dravik-install: warning: " << ReadableName::of(recorded)
            << " is not named \"draviks\", so the saver cannot decode captions from its file names.\n";
    ProgramSettings::SavePhotoDirectory(recorded);
    out << "DraviksDir: " << ReadableName::quoted(recorded) << '\n';
    return Success;
}

int usageError(const QString &problem, QTextStream &err)
{
    err << "dravik-install: " << problem << "\n\n" << kUsage;
    return UsageError;
}

int dispatch(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty())
        return usageError(QStringLiteral("nothing to do"), err);
    const QString &first = arguments.constFirst();
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h")) {
        out << kUsage;
        return arguments.size() == 1 ? Success : usageError(QStringLiteral("--help takes nothing more"), err);
    }
    if (first == QStringLiteral("--version")) {
        if (arguments.size() != 1)
            return usageError(QStringLiteral("--version takes nothing more"), err);
        out << "dravik-install " << App::Version() << '\n';
        return Success;
    }
    if (first == QStringLiteral("--show"))
        return arguments.size() == 1 ? show(out, err) : usageError(QStringLiteral("--show takes nothing more"), err);
    if (first == QStringLiteral("--xscreensaver"))
        return arguments.size() == 1 ? DaemonRegistration::registerSaver(out, err)
                                     : usageError(QStringLiteral("--xscreensaver takes nothing more"), err);
    if (first == QStringLiteral("--interval"))
        return arguments.size() == 2 ? recordInterval(arguments.at(1), out, err)
                                     : usageError(QStringLiteral("--interval takes one number"), err);
    if (first.startsWith(QStringLiteral("--")) && first != QStringLiteral("--"))
        return usageError(QStringLiteral("unknown option %1").arg(first), err);
    // "--" lets a directory whose name begins with a dash through.
    const QStringList rest = first == QStringLiteral("--") ? arguments.mid(1) : arguments;
    if (rest.size() != 1)
        return usageError(QStringLiteral("give exactly one photo directory"), err);
    return recordDirectory(rest.constFirst(), out, err);
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    try {
        return dispatch(arguments, out, err);
    } catch (const RuntimeError &error) {
        err << "dravik-install: " << error.message() << '\n';
        return StoreFailure;
    }
}

} // namespace InstallCommand
