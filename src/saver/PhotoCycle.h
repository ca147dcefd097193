#pragma once

#include <QString>
#include <QtGlobal>

class DirectoryEnumeration;

// Which photo a tick shows. The first file of the photo directory is shown on three ticks
// in a row, then the following files one per tick; when they run out, the enumeration
// starts over within the same tick, again with three ticks of the first file.
class PhotoCycle
{
public:
    explicit PhotoCycle(DirectoryEnumeration &enumeration);

    // The path of the photo for this tick: photoDir followed by the file name (photoDir
    // alone when the directory holds no files). An error of the enumeration propagates and
    // leaves TickCount as it was.
    QString NextPhotoPath(const QString &photoDir);

    // The path the next NextPhotoPath will give, as far as the directory stays as it is now:
    // worked out on copies, so TickCount and the enumeration stay as they are. Raises as
    // NextPhotoPath does.
    QString FollowingPhotoPath(const QString &photoDir) const;

    // 0, 1 or 2: the next tick restarts the enumeration; 3: it continues it.
    qint16 TickCount() const { return m_tickCount; }

private:
    DirectoryEnumeration &m_enumeration;
    qint16 m_tickCount = 0;
};
