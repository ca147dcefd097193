#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <optional>

// The settings store as a separate process sees it: runs settings-probe with the given
// environment (so with the test's own config directory).
namespace SettingsProbeClient {

// The stored text of key in the "Settings" section, or defaultValue when absent; nothing
// when the probe fails, with the reason as a warning.
std::optional<QString> get(const QProcessEnvironment &environment, const QString &key,
                           const QString &defaultValue = QStringLiteral("<absent>"));
// Saves the text; false when the probe fails, with the reason as a warning.
bool set(const QProcessEnvironment &environment, const QString &key, const QString &value);

} // namespace SettingsProbeClient
