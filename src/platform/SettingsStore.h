#pragma once

#include <QString>

#include <optional>

// The per-user settings store: one INI file per application at
// $XDG_CONFIG_HOME/<application>.ini (~/.config when unset), one group per section.
// Values are text and come back exactly as saved.

// The stored text, or nothing when the file, the section or the key is absent.
// Raises RuntimeError(PathFileAccess) when the file exists but cannot be read or parsed, and
// RuntimeError(TypeMismatch) when the stored value is not text.
std::optional<QString> StoredSetting(const QString &application, const QString &section, const QString &key);

// The stored text, or defaultValue when it is absent; raises as StoredSetting does.
QString GetSetting(const QString &application, const QString &section, const QString &key, const QString &defaultValue);

// Creates or replaces the value and writes the file at once, keeping every other value, also
// those another process saved a moment ago. The file on disk is replaced whole, never partly
// written. Raises RuntimeError(PathFileAccess) when the file cannot be read, parsed or written;
// the file is then left as it was.
void SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value);

// Where the application's settings file is (whether it exists or not).
QString SettingsFilePath(const QString &application);
