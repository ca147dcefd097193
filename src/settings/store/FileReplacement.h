#pragma once

#include <QByteArray>
#include <QString>

// The right to replace a file that other processes may be replacing too, and the replacement.
//
// The lock is the file <name>.lock next to it, held by whoever holds an flock() on the file of
// that name. QLockFile holds one on its lock files too, so a program that saves the file through
// QSettings and its QLockFile of that name waits for us and we for it.
// The new contents are written into the lock file itself, which then is renamed over the file:
// readers see the old file or the new one, whole, and the one rename both puts the new file in
// place and gives the lock up. So a process killed at any moment leaves nothing behind but, at
// worst, its lock file, which nobody holds an flock() on any more; the next process to save
// takes it over at once. Nothing is written anywhere else, no temporary directory is used.
class FileReplacement
{
public:
    // Waits for the lock. Raises RuntimeError(PathFileAccess) from source, naming the lock file,
    // when it cannot be created or stays locked for long. A path that is a link to a regular
    // file is replaced where the link points, as QSaveFile does, so that the link stays.
    FileReplacement(const QString &path, QString source);
    // Without a commit(), gives the lock up and leaves the file as it was.
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // Puts contents in place of the file, with the file's owner, group and permissions, flushed
    // to disk first.
    // Raises RuntimeError(PathFileAccess) naming the file when they cannot be written; the file
    // is then left as it was.
    void commit(const QByteArray &contents);

private:
    bool tryLock();
    void removeIfAbandoned() const;
    void keepOwnerAndPermissions() const;
    void write(const QByteArray &contents) const;
    [[noreturn]] void raise(const QString &path, const QString &reason) const;

    QString m_target;
    QString m_lockPath;
    QString m_source;
    int m_lock = -1;
};
