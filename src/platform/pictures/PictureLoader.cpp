#include "platform/pictures/PictureLoader.h"

#include "platform/files/FileName.h"
#include "platform/pictures/JpegDecodeCost.h"
#include "platform/pictures/JpegStructure.h"
#include "platform/pictures/LoadStop.h"
#include "platform/runtime/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString sourceOf(const QString &path)
{
    return QStringLiteral("LoadPicture(\"%1\")").arg(QDir::toNativeSeparators(FileName::forDisplay(path)));
}

[[noreturn]] void raiseInvalid(const QString &path, const QString &detail)
{
    throw RuntimeError(RuntimeError::InvalidPicture, sourceOf(path), detail);
}

bool turnsSideways(QImageIOHandler::Transformations transformation)
{
    return transformation.testFlag(QImageIOHandler::TransformationRotate90);
}

[[noreturn]] void raiseNotFound(const QString &path, const QString &detail = {})
{
    throw RuntimeError(RuntimeError::FileNotFound, sourceOf(path), detail);
}

bool isRegularFile(const struct stat &info)
{
    return S_ISREG(info.st_mode);
}

// Opens the file by the bytes its path names, so Qt never re-encodes the name. Only a
// regular file is read. Opening a FIFO without a writer blocks in the kernel for ever, so
// the open never waits (O_NONBLOCK; it changes nothing for a regular file), and the open
// descriptor is what is checked: the path may be renamed over between any check by name
// and the open. The check by name only spares opening what is visibly a device.
void openRegularFile(QFile &file, const QString &path)
{
    const std::optional<QByteArray> name = FileName::toBytes(path);
    struct stat info;
    if (!name || ::stat(name->constData(), &info) != 0 || !isRegularFile(info))
        raiseNotFound(path);
    const int fd = ::open(name->constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        raiseNotFound(path, qt_error_string(errno));
    if (::fstat(fd, &info) != 0 || !isRegularFile(info)) {
        ::close(fd);
        raiseNotFound(path);
    }
    // Unbuffered: each read of the decoder is one read of the file, so a stop is seen at once.
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        raiseNotFound(path, file.errorString());
    }
}

// A JPEG is walked before Qt reads any of it: how it is coded decides the memory its
// decoding takes, and even reading its header keeps the segments ahead of the frame. The
// EXIF orientation is not known yet, so the shown size is taken either way round.
std::optional<JpegStructure> checkJpegCost(QFile &file, const QString &path, const QSize &shownSize)
{
    std::optional<JpegStructure> jpeg = readJpegStructure(file);
    file.seek(0);
    if (!jpeg)
        return jpeg;
    // The decoder refuses these too, but only after Qt has read the header: without a frame
    // size there is no cost to tell.
    if (jpeg->components.isEmpty() || !jpeg->size.isValid())
        raiseInvalid(path, QStringLiteral("no frame header"));
    if (jpeg->size.isEmpty())
        raiseInvalid(path,
                     QStringLiteral("a frame of %1 × %2 pixels").arg(jpeg->size.width()).arg(jpeg->size.height()));
    if (jpeg->keptSegments > kMaxJpegKeptSegments)
        raiseInvalid(path, QStringLiteral("%1 comment and metadata segments").arg(jpeg->keptSegments));
    const qint64 needed = std::max(jpegDecodeBytes(*jpeg, jpeg->size, shownSize),
                                   jpegDecodeBytes(*jpeg, jpeg->size, shownSize.transposed()));
    if (needed > kMaxDecodeBytes) {
        raiseInvalid(path,
                     QStringLiteral("decoding needs %1 MiB, more than %2 MiB")
                         .arg(needed / (1024 * 1024))
                         .arg(kMaxDecodeBytes / (1024 * 1024)));
    }
    return jpeg;
}

// A stopped load of a JPEG coded in many scans runs out of data after little work, however
// much the decoder does with the bytes of one read (a scan of a few bytes can take it
// milliseconds over a large picture).
constexpr qint64 kShortReadSize = 1024;

// The picture's file as a decoder reads it: once the load is to stop, the file seems to end.
class StoppableFile : public QFile
{
public:
    explicit StoppableFile(const LoadStop *stop) : m_stop(stop) {}

    // Only for a stoppable load of a JPEG whose decoder holds the whole image (many scans):
    // Qt's JPEG reader takes whatever a read gives, the other readers expect full reads, and
    // a sequential JPEG's work is bounded by its size, so it keeps the cheaper long reads.
    void readShort()
    {
        if (m_stop)
            m_readSize = kShortReadSize;
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_stop && m_stop->reached())
            return 0;
        return QFile::readData(data, std::min(maxSize, m_readSize));
    }

private:
    const LoadStop *m_stop;
    qint64 m_readSize = std::numeric_limits<qint64>::max();
};

QImage read(StoppableFile &file, const QString &path, const QSize &shownSize)
{
    const std::optional<JpegStructure> jpeg = checkJpegCost(file, path, shownSize);
    if (jpeg && holdsWholeImageCoefficients(*jpeg))
        file.readShort();

    QImageReader reader(&file);
    reader.setAutoTransform(true);
    // The format is told by the contents, so a photo with a wrong extension still loads.
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        raiseInvalid(path, reader.errorString());

    // A reader that cannot tell the size before decoding cannot be held to any limit: the MNG
    // decoder, for one, allocates the canvas its header claims, outside Qt's allocation limit.
    const QSize stored = reader.size();
    if (!stored.isValid())
        raiseInvalid(
            path,
            QStringLiteral("the %1 reader tells no size before decoding").arg(QString::fromLatin1(reader.format())));
    if (stored.isEmpty() || qint64(stored.width()) * stored.height() > kMaxPicturePixels)
        raiseInvalid(path, QStringLiteral("%1 × %2 pixels").arg(stored.width()).arg(stored.height()));

    const bool hasShownSize = shownSize.isValid() && !shownSize.isEmpty();
    if (hasShownSize) {
        // The reduced decode works on the picture as stored, before it is turned upright.
        const QSize storedWay = turnsSideways(reader.transformation()) ? shownSize.transposed() : shownSize;
        reader.setScaledSize(jpeg ? jpegDecodeSize(stored, storedWay) : storedWay);
    }

    QImage picture = reader.read();
    if (picture.isNull())
        raiseInvalid(path, reader.errorString());
    if (hasShownSize && picture.size() != shownSize)
        picture = picture.scaled(shownSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return picture;
}

[[noreturn]] void raiseStopped(const QString &path, const LoadStop &stop)
{
    if (stop.requested())
        raiseInvalid(path, QStringLiteral("the load was stopped"));
    raiseInvalid(path, QStringLiteral("not decoded within %1 ms").arg(stop.timeLimit().count()));
}

QImage load(const QString &path, const QSize &shownSize, const LoadStop *stop)
{
    StoppableFile file(stop);
    openRegularFile(file, path);
    if (!stop)
        return read(file, path, shownSize);
    // A decoder that ran out of data may still give a picture, or report damage: either way
    // what counts is that the load was stopped.
    try {
        QImage picture = read(file, path, shownSize);
        if (stop->reached())
            raiseStopped(path, *stop);
        return picture;
    } catch (const RuntimeError &) {
        if (stop->reached())
            raiseStopped(path, *stop);
        throw;
    }
}

} // namespace

QImage LoadPicture(const QString &path, const QSize &shownSize)
{
    return load(path, shownSize, nullptr);
}

QImage LoadPicture(const QString &path, const QSize &shownSize, const LoadStop &stop)
{
    return load(path, shownSize, &stop);
}
