#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The whole contents of the regular file at path (a link to one will do), or nothing when there
// is no file there. Whatever else the path turns out to be is refused rather than read: a named
// pipe would block the open for ever, a device such as /dev/zero never ends. Raises
// RuntimeError(PathFileAccess) from source, naming path and the reason, when the file cannot be
// read, is not a regular file or holds more than limit bytes.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 limit, const QString &source);
