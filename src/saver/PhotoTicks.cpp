#include "saver/PhotoTicks.h"

#include "platform/files/DirectoryListing.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"
#include "saver/PhotoCaption.h"
#include "saver/PhotoDecoding.h"
#include "saver/PhotoListing.h"
#include "settings/ProgramSettings.h"

#include <QElapsedTimer>
#include <QScopeGuard>

#include <utility>

namespace {

// Runs a handler's work and logs how long it kept the user-interface thread.
template <typename Work>
auto timedOnUiThread(const char *handler, Work work)
{
    QElapsedTimer elapsed;
    elapsed.start();
    const auto logged =
        qScopeGuard([&] { qCDebug(lcTiming).noquote() << handler << elapsed.nsecsElapsed() / 1000 << "us"; });
    return work();
}

} // namespace

PhotoTicks::PhotoTicks(std::function<QSize()> shownSize, QObject *parent)
    : QObject(parent),
      m_shownSize(std::move(shownSize)),
      m_decoding(new PhotoDecoding(this)),
      m_listing(new PhotoListing(this))
{
    connect(m_decoding, &PhotoDecoding::finished, this, &PhotoTicks::photoDecoded);
    connect(m_listing, &PhotoListing::finished, this, &PhotoTicks::directoryListed);
}

void PhotoTicks::prepareFirstTick()
{
    decodeNextAhead();
}

void PhotoTicks::tick()
{
    if (waitsForPhoto())
        return;
    finishTick(timedOnUiThread("Timer1_Timer", [this] { return beginTick(); }));
}

void PhotoTicks::stop()
{
    m_decoding->stop();
    m_listing->stop();
}

void PhotoTicks::photoDecoded()
{
    if (m_tickPhoto)
        finishTick(timedOnUiThread("photo shown", [this] { return showTickPhoto(); }));
}

void PhotoTicks::directoryListed()
{
    if (m_tickWaitsForListing)
        finishTick(timedOnUiThread("listing taken", [this] { return beginTick(); }));
    else
        decodeNextAhead();
}

PhotoTicks::TickStep PhotoTicks::beginTick()
{
    std::optional<DirectoryListing> listing;
    if (m_photoCycle.NextTickRestarts()) {
        listing = m_listing->take(PhotoCycle::RestartPattern(PhotoDir));
        m_tickWaitsForListing = !listing;
        if (m_tickWaitsForListing)
            return TickStep::WaitingForListing;
    }
    try {
        m_tickPhoto = m_photoCycle.NextPhotoPath(PhotoDir, listing);
    } catch (const RuntimeError &error) {
        qCDebug(lcLifecycle).noquote() << "Timer1_Timer failed:" << error.message();
        // The next tick's listing is made while this one's message is open.
        decodeNextAhead();
        return TickStep::Failed;
    }
    return showTickPhoto();
}

PhotoTicks::TickStep PhotoTicks::showTickPhoto()
{
    const std::optional<PhotoDecoding::Result> decoded = m_decoding->take(*m_tickPhoto, m_shownSize());
    if (!decoded)
        return TickStep::WaitingForPhoto;
    const QString path = *std::exchange(m_tickPhoto, std::nullopt);
    const auto next = qScopeGuard([this] { decodeNextAhead(); });
    try {
        emit photoShown(decoded->picture(), CaptionFromPath(path));
    } catch (const RuntimeError &error) {
        qCDebug(lcLifecycle).noquote() << "Timer1_Timer failed:" << error.message();
        return TickStep::Failed;
    }
    return TickStep::Shown;
}

void PhotoTicks::decodeNextAhead()
{
    std::optional<DirectoryListing> listing;
    if (m_photoCycle.NextTickRestarts()) {
        // Without the listing there is nothing to decode yet; directoryListed comes back here.
        listing = m_listing->listAhead(PhotoCycle::RestartPattern(PhotoDir));
        if (!listing)
            return;
    }
    try {
        m_decoding->decodeAhead(m_photoCycle.FollowingPhotoPath(PhotoDir, listing), m_shownSize());
    } catch (const RuntimeError &) {
        // Nothing to decode: the next tick meets the same error and reports it then.
    }
}

void PhotoTicks::finishTick(TickStep step)
{
    if (step == TickStep::WaitingForListing || step == TickStep::WaitingForPhoto)
        return;
    emit tickEnded(step == TickStep::Failed ? Outcome::Failed : Outcome::Shown);
}
