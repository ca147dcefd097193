#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class DirectoryEnumeration;
class DirectoryListing;

// Which photo a tick shows. The first file of the photo directory is shown on three ticks
// in a row, then the following files one per tick; when they run out, the enumeration
// starts over within the same tick, again with three ticks of the first file.
//
// The cycle never lists the directory itself: a tick that starts the enumeration over is
// given the listing to start it on, so that whoever drives the cycle decides where and when
// the directory is read.
class PhotoCycle
{
public:
    explicit PhotoCycle(DirectoryEnumeration &enumeration);

    // What a tick that starts the enumeration over lists: every file of photoDir.
    static QString RestartPattern(const QString &photoDir);

    // Whether the next tick starts the enumeration over, and so needs the directory listed.
    bool NextTickRestarts() const;

    // The path of the photo for this tick: photoDir followed by the file name (photoDir
    // alone when the directory holds no files). listing, of RestartPattern(photoDir), is
    // needed when the tick starts the enumeration over and unused otherwise. An error of the
    // listing propagates and leaves TickCount as it was.
    QString NextPhotoPath(const QString &photoDir, const std::optional<DirectoryListing> &listing);

    // The path the next NextPhotoPath will give with the same listing: worked out on copies,
    // so TickCount and the enumeration stay as they are. Raises as NextPhotoPath does.
    QString FollowingPhotoPath(const QString &photoDir, const std::optional<DirectoryListing> &listing) const;

    // 0, 1 or 2: the next tick restarts the enumeration; 3: it continues it.
    qint16 TickCount() const { return m_tickCount; }

private:
    DirectoryEnumeration &m_enumeration;
    qint16 m_tickCount = 0;
};
