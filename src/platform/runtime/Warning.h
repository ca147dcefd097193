#pragma once

#include <QString>

// The program's own line on stderr: "Dravik2001: " and the text, in UTF-8. Standard error may
// be a pipe nobody reads any more: a line that cannot be written is lost, and the program runs on.
void Warn(const QString &text);
// A line on stderr as it is, in UTF-8, for one that names its own source (a file and its line).
void WriteStderrLine(const QString &line);
