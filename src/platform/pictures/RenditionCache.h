#pragma once

#include "platform/files/FileIdentity.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <optional>

class LoadStop;

// What a rendition was made from: the photo's path (in FileName's lossless form), the
// identity its file had when it was decoded, and the device pixels it is shown at. The
// device pixel size is the whole of what the pixels depend on: the same element at another
// device pixel ratio has another device pixel size, so another key.
struct RenditionKey
{
    QString sourcePath;
    FileIdentity source;
    QSize shownSize;
};

// The pictures decodes gave, kept in files of the user's own so that the next run (or the
// next round of the photo cycle) reads them instead of decoding the original again. An entry
// is used only for the very file it was made from: a rewritten, replaced or touched original
// has another identity and never matches.
//
// Every failure means "not cached": a folder that is missing and cannot be made, a link, not
// the user's, open to others or not writable, an entry that is truncated, corrupt, claims
// more than a decode may allocate, or is not a regular file; the caller then decodes. Such a
// folder is reported once a run, on standard error. Entries are written by replacement, so
// several copies of the program at once never read half of one; the folder is held under its
// size limit by removing the entries used longest ago.
//
// Plain file work, no state of its own beyond where and how much: one object may serve any
// thread, and several processes may share one folder.
class RenditionCache
{
public:
    static constexpr qint64 kDefaultSizeLimit = qint64(64) * 1024 * 1024;

    // The program's own folder in the user's cache directory ($XDG_CACHE_HOME, else ~/.cache).
    static QString defaultFolder();

    explicit RenditionCache(QString folder = defaultFolder(), qint64 sizeLimit = kDefaultSizeLimit);

    // The picture kept for key; nothing when there is none, it is unusable, or stop is
    // reached while it is read.
    std::optional<QImage> lookUp(const RenditionKey &key, const LoadStop &stop) const;
    // Keeps picture for key, removing the entries used longest ago to make room. An entry
    // that cannot be written, or would not fit the limit alone, is simply not kept.
    void store(const RenditionKey &key, const QImage &picture) const;

    const QString &folder() const { return m_folder; }

private:
    QString m_folder;
    qint64 m_sizeLimit;
};
