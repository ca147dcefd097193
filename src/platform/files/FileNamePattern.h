#pragma once

#include <QString>

// Matches a file name against a wildcard the way the desktop's file search does:
// - "*" matches any run of characters, dots included;
// - "?" matches one character, or nothing at the end of the name or before a dot;
// - a "." followed only by wildcards matches a dot or the end of the name, so "*.*"
//   matches every name, with or without a dot, and "abc.*" matches "abc";
// - letters match without regard to case.
bool FileNameMatches(const QString &pattern, const QString &name);
