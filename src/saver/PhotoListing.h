#pragma once

#include "platform/files/DirectoryListing.h"
#include "saver/OneJobWorker.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// The photo directory's listings, made on a worker thread so that no listing, however
// large the directory or slow the disc, holds up the user-interface thread. The listing a
// tick that starts the enumeration over takes is made ahead, while the ticks before it show
// their photos, and it is kept: the ticks that start over later take it again as long as the
// directory is still the directory it was listed from (same identity, size and times, as a
// name added, removed or renamed changes them). A listing that failed is never kept, so the
// tick after it lists again; nor is one of a directory changed just before it was listed,
// whose next change might keep the same time stamp.
//
// At most one listing runs; asking for another stops it, between two entries.
class PhotoListing : public QObject
{
    Q_OBJECT

public:
    explicit PhotoListing(QObject *parent = nullptr);
    // Stops a running listing and waits for it to wind down, which takes at most the read of
    // one entry.
    ~PhotoListing() override;

    // The listing the next take(pattern) will give, when that is ready, without taking it.
    // Otherwise nothing: the listing is started if it is not running already, and finished()
    // tells when to ask again.
    std::optional<DirectoryListing> listAhead(const QString &pattern);
    // The listing of pattern, made after the directory last changed or after the take that
    // started it, when it is ready. Otherwise nothing, as for listAhead.
    std::optional<DirectoryListing> take(const QString &pattern);
    // Stops any running listing; its result is never given.
    void stop();

signals:
    void finished();

private:
    struct Listing;

    // The listing of pattern that is kept or has finished, while it still holds.
    std::shared_ptr<Listing> ready(const QString &pattern);
    void start(const QString &pattern);
    void listed(const std::shared_ptr<Listing> &listing);

    OneJobWorker m_worker;
    // Running, or finished and not taken yet.
    std::shared_ptr<Listing> m_pending;
    // The last one taken that did not fail, of a directory that had settled.
    std::shared_ptr<Listing> m_kept;
};
