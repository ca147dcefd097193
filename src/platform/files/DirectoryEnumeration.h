#pragma once

#include <QString>
#include <QStringList>

class DirectoryListing;

// The directory enumeration: First(pattern) starts a new enumeration of the normal files
// that match the pattern and returns the first name; Next() returns the following names.
// Both return an empty text once the enumeration is exhausted. DirectoryListing tells the
// pattern, which files count and their order. The names are put in order once, by First,
// so later changes to the directory do not disturb a running enumeration.
class DirectoryEnumeration
{
public:
    // Lists the directory and starts on that listing. Raises RuntimeError(PathNotFound) when
    // the directory does not exist and RuntimeError(PathFileAccess) when it cannot be read.
    QString First(const QString &pattern);
    // Starts a new enumeration on a listing made before, elsewhere perhaps; raises its error
    // as First(pattern) would have, and is then exhausted.
    QString First(const DirectoryListing &listing);
    // Empty when no enumeration was started or the current one is exhausted.
    QString Next();
    // Whether Next() would give nothing.
    bool atEnd() const { return m_next >= m_names.size(); }

private:
    QStringList m_names;
    qsizetype m_next = 0;
};
