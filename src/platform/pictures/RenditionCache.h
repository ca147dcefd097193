#pragma once

#include "platform/pictures/RenditionEntry.h"

#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

class LoadStop;

// The pictures decodes gave, kept in files of the user's own so that the next run (or the
// next round of the photo cycle) reads them instead of decoding the original again. An entry
// is used only for the very file it was made from: a rewritten, replaced or touched original
// has another identity and never matches.
//
// Every failure means "not cached": a folder that is missing and cannot be made, a link, not
// the user's, open to others or not writable, an entry that is not a regular file or that
// RenditionFromEntry refuses; the caller then decodes. Such a folder is reported once per
// cache object (once a run in the program), on standard error. Entries are written by
// replacement, so several copies of the program at once never read half of one.
//
// Made for a photo cycle that visits its photos in the same order every run: a full cache
// keeps what it holds rather than giving an entry the cycle will need again for a new one.
// When a store finds no room, entries whose photo is gone or changed, or that no run has
// read for kUnusedAfterDays, are removed (once a run); if that makes no room the store, and
// every store after it in this run, is simply skipped. A read writes nothing but, at most
// once a day per entry, the entry's modification time, which says it is still used.
//
// Plain file work: one object, and its copies, may serve any thread, and several processes
// may share one folder.
class RenditionCache
{
public:
    // About 1,400 photos at the 1024 × 768 frame (1.1 MB each).
    static constexpr qint64 kDefaultSizeLimit = qint64(1536) * 1024 * 1024;
    static constexpr int kUnusedAfterDays = 30;

    // The program's own folder in the user's cache directory ($XDG_CACHE_HOME, else ~/.cache).
    static QString defaultFolder();

    explicit RenditionCache(QString folder = defaultFolder(), qint64 sizeLimit = kDefaultSizeLimit);

    // The picture kept for key; nothing when there is none, it is unusable, or stop is
    // reached while it is read.
    std::optional<QImage> lookUp(const RenditionKey &key, const LoadStop &stop) const;
    // Keeps picture for key when it fits the limit, after removing what is stale if need
    // be; an entry that cannot be written, or finds no room, is simply not kept. Neither the
    // limit nor the last tenth of the file system's free space is ever used.
    void store(const RenditionKey &key, const QImage &picture) const;

    const QString &folder() const { return m_folder; }

private:
    struct RunState;

    QString m_folder;
    qint64 m_sizeLimit;
    std::shared_ptr<RunState> m_run;
};
