#pragma once

#include <QFont>
#include <QString>

// A font as a window's design names it. Where the named family is missing, as "MS Sans
// Serif" and "System" are on most Linux desktops, the desktop's sans-serif stands in.
QFont DesignFont(const QString &family, qreal points, bool bold);
