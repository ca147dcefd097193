#pragma once

#include <QString>
#include <QStringList>

// The directory enumeration: First(pattern) starts a new enumeration of the normal files
// that match the pattern and returns the first name; Next() returns the following names.
// Both return an empty text once the enumeration is exhausted.
//
// The pattern is a directory part (up to and including the last '/', none meaning the
// current directory) followed by a wildcard matched against each name as FileNameMatches
// does. Normal files are regular files, or links to them, whose names do not begin with a
// dot; directories, sockets, FIFOs and devices are left out. The names are put in order
// once, by First, so later changes to the directory do not disturb a running enumeration.
//
// Names come in FileName's lossless text form, so one that is not valid UTF-8 still opens
// (FileName::toBytes gives its bytes back). The order is ordinal over that text, code unit
// by code unit, as for any text: valid names keep the order of their characters' UTF-16
// code units, and a stray byte 0xXY sorts as the code unit U+DCXY, after the surrogate
// pairs and before U+E000..U+FFFF. The names' bytes would sort otherwise (UTF-8 puts
// U+E000..U+FFFF before the supplementary characters), so byte order would reorder valid
// names too; and the display form would make distinct names equal.
class DirectoryEnumeration
{
public:
    // Raises RuntimeError(PathNotFound) when the directory does not exist and
    // RuntimeError(PathFileAccess) when it cannot be read.
    QString First(const QString &pattern);
    // Empty when no enumeration was started or the current one is exhausted.
    QString Next();

private:
    QStringList m_names;
    qsizetype m_next = 0;
};
