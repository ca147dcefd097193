#pragma once

#include <QString>

#include <optional>

// The per-user settings store: one INI file per application at
// $XDG_CONFIG_HOME/<application>.ini (~/.config when unset), one group per section, in the
// dialect IniDocument.h describes. Values are text and come back exactly as saved; section and
// key names match in any case. Every read and every save reads the file afresh, and nothing
// but the file (and, while a save runs, its lock file) is needed or written.
//
// Each operation raises RuntimeError(PathFileAccess), naming the file and the reason, when the
// file is not a regular file, is over 1 MB, cannot be read or written, cannot be a settings file
// at all (UTF-16 text or binary data), or when the section or key is not a name
// IniDocument::isName() accepts. Lines of the file that are not understood are passed over and
// kept; one line on stderr names the file and the first of them.

// The stored text, or nothing when the file, the section or the key is absent.
std::optional<QString> StoredSetting(const QString &application, const QString &section, const QString &key);

// The stored text, or defaultValue when it is absent; raises as StoredSetting does.
QString GetSetting(const QString &application, const QString &section, const QString &key, const QString &defaultValue);

// Creates or replaces the value and writes the file at once, keeping every other value, also
// those another process saved a moment ago, and every other line of the file as it was. The
// file on disk is replaced whole, never partly written. On an error the file is left as it was.
void SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value);

// Where the application's settings file is (whether it exists or not).
QString SettingsFilePath(const QString &application);
