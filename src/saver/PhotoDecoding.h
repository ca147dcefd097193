#pragma once

#include "platform/pictures/LoadStop.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/pictures/RenditionCache.h"
#include "platform/runtime/RuntimeError.h"
#include "saver/OneJobWorker.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

// The ticks' photos, decoded on a worker thread so that no decode, however long, holds up
// the user-interface thread: the photo the next tick will show is decoded while the current
// one is on screen, and the one last given out is kept for the ticks that show it again. A
// result is only given for a file that is still the file it was decoded from (same path,
// identity, size and times), so a changed or replaced file is decoded anew.
//
// What a decode gives is kept in the rendition cache, and read from there, on the worker,
// instead of decoding the file again while the file is the one it was made from: in the next
// round of the photo cycle and in the next run.
//
// At most one decode runs; asking for another photo stops it. A decode that runs longer than
// kTimeLimit is abandoned, and its result is the error saying so.
class PhotoDecoding : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kTimeLimit = kPictureLoadTimeLimit;

    // What decoding a photo gave: its picture, or the error the load raised.
    class Result
    {
    public:
        explicit Result(QImage picture) : m_picture(std::move(picture)) {}
        explicit Result(RuntimeError error) : m_error(std::move(error)) {}

        // The picture; raises the load's error when there is none.
        QImage picture() const;

    private:
        QImage m_picture;
        std::optional<RuntimeError> m_error;
    };

    explicit PhotoDecoding(QObject *parent = nullptr);
    // Stops a running decode and waits for it to wind down, which a stop makes quick.
    ~PhotoDecoding() override;

    // Starts decoding path for shownSize device pixels, unless its result is kept or it is
    // already being decoded.
    void decodeAhead(const QString &path, const QSize &shownSize);
    // The result for path at shownSize when it is ready. Otherwise nothing: the decode is
    // started if it is not running already, and finished() tells when to ask again.
    std::optional<Result> take(const QString &path, const QSize &shownSize);
    // Stops any running decode; its result is never given.
    void stop();

signals:
    void finished();

private:
    struct Decode;

    // Whether the result taken last is for path at shownSize, and its file unchanged.
    bool keeps(const QString &path, const QSize &shownSize) const;
    void start(const QString &path, const QSize &shownSize);
    void decoded(const std::shared_ptr<Decode> &decode);

    const RenditionCache m_cache;
    OneJobWorker m_worker;
    // Running, or finished and not taken yet.
    std::shared_ptr<Decode> m_pending;
    // The last one taken: the photo on screen, or the failure shown for it.
    std::shared_ptr<const Decode> m_kept;
};
