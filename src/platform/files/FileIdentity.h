#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

#include <ctime>

// Which file a path names and the state it is in: the same identity means the same file,
// not written to, replaced or changed in its permissions since. Renaming another file over
// the path, rewriting it in place or a chmod all give a new identity.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// The identity of the file path (in FileName's lossless form) names now, links followed;
// nothing when there is no file there.
std::optional<FileIdentity> IdentityOfFile(const QString &path);

// A file time (or any clock time) as nanoseconds since the epoch.
qint64 Nanoseconds(const timespec &time);
