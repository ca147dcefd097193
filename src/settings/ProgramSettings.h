#pragma once

#include <QString>
#include <QtGlobal>

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

extern qint32 IntervalSeconds; // the saver's interval, as read from the settings
extern qint32 IntervalMs;      // the settings window's working interval
extern QString PhotoDir;       // the photo directory prefix, with its trailing separator
