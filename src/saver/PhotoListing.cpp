#include "saver/PhotoListing.h"

#include "platform/files/FileIdentity.h"
#include "platform/runtime/App.h"

#include <QDebug>

#include <chrono>
#include <stop_token>

namespace {

// Beyond the coarsest clock a file system keeps a directory's times by (two seconds on FAT):
// a directory changed more recently than that before it was listed may change again within
// the same time stamp, unseen.
constexpr std::chrono::seconds kTimeStampGrain{2};

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

struct PhotoListing::Listing
{
    explicit Listing(QString listedPattern) : pattern(std::move(listedPattern)) {}

    // Taken before the first entry is read, so a change while the listing runs is noticed.
    bool directoryUnchanged() const { return IdentityOfFile(DirectoryListing::directoryOf(pattern)) == identity; }
    // Whether a later change of the directory is sure to show in its times, so that the
    // listing can be kept for later ticks.
    bool directorySettled() const
    {
        return identity && identity->modifiedNs < startedNs - std::chrono::nanoseconds(kTimeStampGrain).count();
    }

    // Runs on the worker.
    void run()
    {
        if (stop.stop_requested())
            return;
        qCDebug(lcLifecycle) << "listing" << pattern;
        startedNs = nowNs();
        identity = IdentityOfFile(DirectoryListing::directoryOf(pattern));
        result = DirectoryListing::unlessStopped(pattern, stop.get_token());
    }

    const QString pattern;
    std::stop_source stop;
    // Written by the worker before it reports the listing finished, read only after that.
    qint64 startedNs = 0;
    std::optional<FileIdentity> identity;
    std::optional<DirectoryListing> result;
    // On the user-interface thread: the worker's report has arrived.
    bool finished = false;
    // On the user-interface thread: started for a tick that waits for it.
    bool forWaitingTick = false;
};

PhotoListing::PhotoListing(QObject *parent) : QObject(parent) {}

PhotoListing::~PhotoListing()
{
    stop();
}

std::shared_ptr<PhotoListing::Listing> PhotoListing::ready(const QString &pattern)
{
    if (m_pending && m_pending->pattern == pattern) {
        if (m_pending->finished && (m_pending->forWaitingTick || m_pending->directoryUnchanged()))
            return m_pending;
        // Running still, or listed from a directory that has changed since.
        return nullptr;
    }
    if (m_kept && m_kept->pattern == pattern && m_kept->directoryUnchanged())
        return m_kept;
    return nullptr;
}

std::optional<DirectoryListing> PhotoListing::listAhead(const QString &pattern)
{
    if (const std::shared_ptr<Listing> listing = ready(pattern))
        return listing->result;
    if (!m_pending || m_pending->pattern != pattern || m_pending->finished)
        start(pattern);
    return std::nullopt;
}

std::optional<DirectoryListing> PhotoListing::take(const QString &pattern)
{
    const bool running = m_pending && m_pending->pattern == pattern && !m_pending->finished;
    const std::optional<DirectoryListing> listing = listAhead(pattern);
    if (!listing && !running) {
        // Begun after the tick came, the listing is as new as the tick needs, whatever
        // changes meanwhile: a directory that keeps changing does not hold the tick up.
        m_pending->forWaitingTick = true;
        return std::nullopt;
    }
    if (listing && m_pending && m_pending->pattern == pattern) {
        // A failure is newer news of the directory than the listing kept before it.
        m_kept = !listing->failed() && m_pending->directorySettled() ? m_pending : nullptr;
        m_pending.reset();
    }
    return listing;
}

void PhotoListing::stop()
{
    if (m_pending)
        m_pending->stop.request_stop();
    m_pending.reset();
}

void PhotoListing::start(const QString &pattern)
{
    stop();
    m_pending = std::make_shared<Listing>(pattern);
    m_worker.start(this, m_pending, [this](const std::shared_ptr<Listing> &listing) { listed(listing); });
}

void PhotoListing::listed(const std::shared_ptr<Listing> &listing)
{
    if (listing != m_pending)
        return;
    listing->finished = true;
    emit finished();
}
