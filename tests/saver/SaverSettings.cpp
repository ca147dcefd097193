#include "SaverSettings.h"

#include "App.h"
#include "SettingNames.h"
#include "SettingsStore.h"

#include <QFile>

void StoreSaverSettings(const std::optional<QString> &interval, const std::optional<QString> &draviksDir)
{
    QFile::remove(SettingsFilePath(App::Title()));
    if (interval)
        SaveSetting(App::Title(), SettingNames::Section, SettingNames::Interval, *interval);
    if (draviksDir)
        SaveSetting(App::Title(), SettingNames::Section, SettingNames::DraviksDir, *draviksDir);
}
