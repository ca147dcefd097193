#pragma once

#include <QString>

// The section and keys the program keeps in the settings store, and the values that stand in
// when a key is absent.
namespace SettingNames {

inline const QString Section = QStringLiteral("Settings");

inline const QString Interval = QStringLiteral("Interval");
inline const QString IntervalDefault = QStringLiteral("2");

// Written by the collection's browsing software; the program only reads it.
inline const QString DraviksDir = QStringLiteral("DraviksDir");
inline const QString DraviksDirDefault = QStringLiteral(" ");

} // namespace SettingNames
