#include "SaverSettings.h"

#include "ApplicationTitle.h"
#include "settings/ProgramSettings.h"
#include "settings/store/SettingsStore.h"

#include <QFile>

void StoreSaverSettings(const std::optional<QString> &interval, const std::optional<QString> &draviksDir)
{
    QFile::remove(SettingsFilePath(kApplicationTitle));
    if (interval)
        SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, *interval);
    if (draviksDir)
        SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::DraviksDir, *draviksDir);
}
