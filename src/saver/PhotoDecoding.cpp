#include "saver/PhotoDecoding.h"

#include "platform/files/FileIdentity.h"
#include "platform/pictures/LoadStop.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/pictures/RenditionCache.h"
#include "platform/runtime/App.h"

#include <QDebug>

struct PhotoDecoding::Decode
{
    Decode(QString photoPath, QSize photoSize, RenditionCache renditions)
        : path(std::move(photoPath)),
          shownSize(photoSize),
          stop(PhotoDecoding::kTimeLimit),
          cache(std::move(renditions))
    {}

    bool isOf(const QString &photoPath, const QSize &photoSize) const
    {
        return path == photoPath && shownSize == photoSize;
    }
    // Taken before the file is opened, so a file replaced in between is decoded again.
    bool fileUnchanged() const { return IdentityOfFile(path) == identity; }

    // Runs on the worker.
    void run()
    {
        if (stop.requested())
            return;
        stop.start();
        identity = IdentityOfFile(path);
        if (identity) {
            if (std::optional<QImage> cached = cache.lookUp({path, *identity, shownSize}, stop)) {
                qCDebug(lcLifecycle) << "rendition from cache" << path;
                result.emplace(std::move(*cached));
                return;
            }
        }
        qCDebug(lcLifecycle) << "decoding" << path;
        try {
            QImage picture = LoadPicture(path, shownSize, stop);
            // Only what the file still is: one written to while it was decoded may have
            // given a mix of its old and new contents.
            if (identity && IdentityOfFile(path) == identity)
                cache.store({path, *identity, shownSize}, picture);
            result.emplace(std::move(picture));
        } catch (const RuntimeError &error) {
            if (stop.timedOut())
                qCDebug(lcLifecycle) << "abandoned" << path;
            result.emplace(error);
        }
    }

    const QString path;
    const QSize shownSize;
    LoadStop stop;
    const RenditionCache cache;
    // Written by the worker before it reports the decode finished, read only after that.
    std::optional<FileIdentity> identity;
    std::optional<Result> result;
    // On the user-interface thread: the worker's report has arrived.
    bool finished = false;
};

QImage PhotoDecoding::Result::picture() const
{
    if (m_error)
        throw *m_error;
    return m_picture;
}

PhotoDecoding::PhotoDecoding(QObject *parent) : QObject(parent) {}

PhotoDecoding::~PhotoDecoding()
{
    stop();
}

bool PhotoDecoding::keeps(const QString &path, const QSize &shownSize) const
{
    return m_kept && m_kept->isOf(path, shownSize) && m_kept->fileUnchanged();
}

void PhotoDecoding::decodeAhead(const QString &path, const QSize &shownSize)
{
    if (keeps(path, shownSize))
        return;
    if (m_pending && m_pending->isOf(path, shownSize))
        return;
    start(path, shownSize);
}

std::optional<PhotoDecoding::Result> PhotoDecoding::take(const QString &path, const QSize &shownSize)
{
    if (keeps(path, shownSize))
        return m_kept->result;
    if (m_pending && m_pending->isOf(path, shownSize)) {
        if (!m_pending->finished)
            return std::nullopt;
        if (m_pending->fileUnchanged()) {
            m_kept = std::exchange(m_pending, nullptr);
            return m_kept->result;
        }
    }
    start(path, shownSize);
    return std::nullopt;
}

void PhotoDecoding::stop()
{
    if (m_pending)
        m_pending->stop.request();
    m_pending.reset();
}

void PhotoDecoding::start(const QString &path, const QSize &shownSize)
{
    stop();
    m_pending = std::make_shared<Decode>(path, shownSize, m_cache);
    m_worker.start(this, m_pending, [this](const std::shared_ptr<Decode> &decode) { decoded(decode); });
}

void PhotoDecoding::decoded(const std::shared_ptr<Decode> &decode)
{
    if (decode != m_pending)
        return;
    decode->finished = true;
    emit finished();
}
