#pragma once

#include <QByteArray>
#include <QString>

// Files a test writes for the program to find.
namespace TestFiles {

// The whole file; empty when it cannot be read.
QByteArray ReadFile(const QString &path);
// Writes the contents as the whole file; false when it cannot.
bool WriteFile(const QString &path, const QByteArray &contents);
// Writes the file named by exactly these bytes, past any decoding of names to text.
bool WriteFileNamedByBytes(const QByteArray &path, const QByteArray &contents);
// Sets the file's or directory's modification time an hour back, as if it had last changed then.
bool BackDateByAnHour(const QString &path);

} // namespace TestFiles
