#include "platform/PictureLoader.h"

#include "platform/FileName.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>

#include <cerrno>

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
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        raiseNotFound(path, file.errorString());
    }
}

} // namespace

QImage LoadPicture(const QString &path, const QSize &shownSize)
{
    QFile file;
    openRegularFile(file, path);

    QImageReader reader(&file);
    reader.setAutoTransform(true);
    // The format is told by the contents, so a photo with a wrong extension still loads.
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        raiseInvalid(path, reader.errorString());

    const QSize stored = reader.size();
    if (stored.isValid() && qint64(stored.width()) * stored.height() > kMaxPicturePixels)
        raiseInvalid(path, QStringLiteral("%1 × %2 pixels").arg(stored.width()).arg(stored.height()));

    if (shownSize.isValid() && !shownSize.isEmpty()) {
        // The reduced decode works on the picture as stored, before it is turned upright.
        reader.setScaledSize(turnsSideways(reader.transformation()) ? shownSize.transposed() : shownSize);
    }

    QImage picture = reader.read();
    if (picture.isNull())
        raiseInvalid(path, reader.errorString());
    return picture;
}
