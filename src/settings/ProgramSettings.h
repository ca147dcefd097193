#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The program's two settings: where the settings store keeps them, the values that stand in
// when one is absent, and the program-wide variables the windows hold them in.
namespace SettingNames {

inline const QString Section = QStringLiteral("Settings");

inline const QString Interval = QStringLiteral("Interval");
inline const QString IntervalDefault = QStringLiteral("2");

// Written by the collection's browsing software; the program only reads it.
inline const QString DraviksDir = QStringLiteral("DraviksDir");
inline const QString DraviksDirDefault = QStringLiteral(" ");

} // namespace SettingNames

// The one way to the two settings in the store, under the program's title and section. Each
// raises as the store does (RuntimeError(PathFileAccess) naming the file and the reason).
namespace ProgramSettings {

// The stored text, or the value that stands in when it is absent.
QString IntervalText();
QString PhotoDirectory();

// The stored text, or nothing when it is absent.
std::optional<QString> StoredInterval();
std::optional<QString> StoredPhotoDirectory();

void SaveInterval(const QString &seconds);
void SavePhotoDirectory(const QString &directory);

} // namespace ProgramSettings

extern qint32 IntervalSeconds; // the saver's interval, as read from the settings
extern qint32 IntervalMs;      // the settings window's working interval
extern QString PhotoDir;       // the photo directory prefix, with its trailing separator
