#pragma once

#include <QString>

#include <optional>

// Writes the saver's two settings through the real settings store, for the current
// process's settings location (see IsolatedUserDirs::applyToThisProcess). A value left
// empty is not stored at all, so the saver falls back to its default.
void StoreSaverSettings(const std::optional<QString> &interval, const std::optional<QString> &draviksDir);
