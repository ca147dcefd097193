#include "platform/files/DirectoryEnumeration.h"

#include "platform/files/DirectoryListing.h"

QString DirectoryEnumeration::First(const QString &pattern)
{
    return First(DirectoryListing(pattern));
}

QString DirectoryEnumeration::First(const DirectoryListing &listing)
{
    m_names.clear();
    m_next = 0;
    m_names = listing.names();
    return Next();
}

QString DirectoryEnumeration::Next()
{
    if (atEnd())
        return {};
    return m_names.at(m_next++);
}
