#pragma once

#include "platform/files/DirectoryEnumeration.h"
#include "saver/PhotoCycle.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class PhotoDecoding;
class PhotoListing;

// The saver's ticks: which photo each one shows (the photo cycle over the photo directory,
// PhotoDir), its listing and decode on worker threads, made ahead so that a tick finds them
// ready, and the tick that waits for them when they are not. It shows nothing itself: it
// says what a tick brings, and the window shows it.
class PhotoTicks : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Shown, Failed };

    // shownSize gives the device pixels the photos are shown at, read afresh for every decode.
    explicit PhotoTicks(std::function<QSize()> shownSize, QObject *parent = nullptr);

    // Lists the directory and decodes the first tick's photo ahead, so that it is ready.
    void prepareFirstTick();
    // A tick of the timer. Ignored while a tick waits for its listing or its photo, so that
    // no photo is passed over; that tick ends when they are ready.
    void tick();
    // Stops the listing and the decode running; no tick ends after it.
    void stop();

    qint16 TickCount() const { return m_photoCycle.TickCount(); }
    // A tick came, and its photo is not ready yet: the directory's listing it starts the
    // enumeration over on, or the photo's decode, still runs.
    bool waitsForPhoto() const { return m_tickWaitsForListing || m_tickPhoto.has_value(); }

signals:
    // A tick's photo and its caption, to be shown now.
    void photoShown(const QImage &picture, const QString &caption);
    // A tick has ended, after photoShown when it showed its photo; a failed tick's message is
    // to be shown.
    void tickEnded(PhotoTicks::Outcome outcome);

private:
    // How far a tick got: a tick waits for the directory's listing when it starts the
    // enumeration over and that is not ready, and for its photo while that is decoded.
    enum class TickStep { WaitingForListing, WaitingForPhoto, Shown, Failed };

    void photoDecoded();
    void directoryListed();
    TickStep beginTick();
    TickStep showTickPhoto();
    void decodeNextAhead();
    void finishTick(TickStep step);

    std::function<QSize()> m_shownSize;
    PhotoDecoding *m_decoding;
    PhotoListing *m_listing;
    // A tick came that starts the enumeration over, and its listing is still being made.
    bool m_tickWaitsForListing = false;
    // The photo of the tick that waits for its decode.
    std::optional<QString> m_tickPhoto;

    DirectoryEnumeration m_enumeration;
    PhotoCycle m_photoCycle{m_enumeration};
};
