#include "settings/ProgramSettings.h"

#include "platform/runtime/App.h"
#include "settings/store/SettingsStore.h"

qint32 IntervalSeconds = 0;
qint32 IntervalMs = 0;
QString PhotoDir;

namespace ProgramSettings {

QString IntervalText()
{
    return GetSetting(App::Title(), SettingNames::Section, SettingNames::Interval, SettingNames::IntervalDefault);
}

QString PhotoDirectory()
{
    return GetSetting(App::Title(), SettingNames::Section, SettingNames::DraviksDir, SettingNames::DraviksDirDefault);
}

std::optional<QString> StoredInterval()
{
    return StoredSetting(App::Title(), SettingNames::Section, SettingNames::Interval);
}

std::optional<QString> StoredPhotoDirectory()
{
    return StoredSetting(App::Title(), SettingNames::Section, SettingNames::DraviksDir);
}

void SaveInterval(const QString &seconds)
{
    SaveSetting(App::Title(), SettingNames::Section, SettingNames::Interval, seconds);
}

void SavePhotoDirectory(const QString &directory)
{
    SaveSetting(App::Title(), SettingNames::Section, SettingNames::DraviksDir, directory);
}

} // namespace ProgramSettings
