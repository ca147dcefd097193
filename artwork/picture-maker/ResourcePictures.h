#pragma once

#include <QString>

// Writes the pictures built into the saver into `folder`: the opening photograph, the banner,
// the settings window's picture, the window icon and the desktop icons.
void writeResourcePictures(const QString &folder);
