#pragma once

#include <QString>

// A file name in FileName's lossless text form as a terminal shows it: each byte that is not
// UTF-8 as \xNN, so that people can tell which byte it is, everything else as it is.
namespace ReadableName {

// The name with its stray bytes as \xNN.
QString of(const QString &name);
// The name in double quotes, followed by a note on the \xNN when it has any.
QString quoted(const QString &name);

} // namespace ReadableName
